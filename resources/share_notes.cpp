// The desktop hosts' notes after sharing in every language; see phrases.h.
#include "phrases.h"
#include "runtime/language.h"

namespace res {

namespace {

constexpr ShareNotes kShareNotes[] = {
    {0,
     "Saved {1}", "Tavilo: could not save the picture: {1}", "Copied the result",
     "Tavilo: could not copy the result: {1}", "Tavilo: could not copy the result to the clipboard"},
    {rt::kLanguageJapanese,
     "保存しました：{1}", "Tavilo：画像を保存できませんでした：{1}", "結果をコピーしました",
     "Tavilo：結果をコピーできませんでした：{1}", "Tavilo：結果をクリップボードにコピーできませんでした"},
    {rt::kLanguageKorean,
     "저장했어요: {1}", "Tavilo: 그림을 저장하지 못했어요: {1}", "결과를 복사했어요",
     "Tavilo: 결과를 복사하지 못했어요: {1}", "Tavilo: 결과를 클립보드에 복사하지 못했어요"},
    {rt::kLanguageChineseSimplified,
     "已保存：{1}", "Tavilo：无法保存图片：{1}", "已复制结果",
     "Tavilo：无法复制结果：{1}", "Tavilo：无法将结果复制到剪贴板"},
    {rt::kLanguageChineseTraditional,
     "已儲存：{1}", "Tavilo：無法儲存圖片：{1}", "已複製結果",
     "Tavilo：無法複製結果：{1}", "Tavilo：無法將結果複製到剪貼簿"},
    {rt::kLanguageSpanish,
     "Guardado: {1}", "Tavilo: no se pudo guardar la imagen: {1}", "Resultado copiado",
     "Tavilo: no se pudo copiar el resultado: {1}", "Tavilo: no se pudo copiar el resultado al portapapeles"},
    {rt::kLanguagePortugueseBrazil,
     "Salvo: {1}", "Tavilo: não foi possível salvar a imagem: {1}", "Resultado copiado",
     "Tavilo: não foi possível copiar o resultado: {1}",
     "Tavilo: não foi possível copiar o resultado para a área de transferência"},
    {rt::kLanguageFrench,
     "Enregistré : {1}", "Tavilo : impossible d'enregistrer l'image : {1}", "Résultat copié",
     "Tavilo : impossible de copier le résultat : {1}",
     "Tavilo : impossible de copier le résultat dans le presse-papiers"},
    {rt::kLanguageGerman,
     "Gespeichert: {1}", "Tavilo: Das Bild konnte nicht gespeichert werden: {1}", "Ergebnis kopiert",
     "Tavilo: Das Ergebnis konnte nicht kopiert werden: {1}",
     "Tavilo: Das Ergebnis konnte nicht in die Zwischenablage kopiert werden"},
};

}  // namespace

const ShareNotes& ShareNotesFor(WORD language) { return RecordFor(kShareNotes, language); }

const ShareNotes* AllShareNotes(size_t* count) {
    *count = sizeof(kShareNotes) / sizeof(kShareNotes[0]);
    return kShareNotes;
}

}  // namespace res
