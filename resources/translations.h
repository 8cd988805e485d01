// The program's texts in the languages it speaks besides English, one record
// a language. English keeps its own places (the string table in table.cpp,
// the menu in menus.cpp, the dialogs in dialogs.cpp, the About lines in
// messages.h, the intro messages in intro/); each record here gives the same
// texts in one language, and the table carries them as that language's
// variants of the same resources. docs/translations.md lists every text
// with where it appears and the room it has.
//
// Latin-1's baked DejaVu faces draw Spanish, Portuguese, French and German;
// the Japanese, Korean and Chinese letters come from the supplement that
// tools/bakefont bakes from this file's own texts (every character from
// U+2E80 on), so a character added here is baked by running it again.
// A language without a record reads English.
#pragma once

#include <windows.h>

#include "messages.h"
#include "runtime/language.h"

namespace res {

struct LanguageTexts {
    WORD language;
    // The menu bar's buttons (string table) and the menu's entries.
    LPCWSTR newGame;
    LPCWSTR all;
    LPCWSTR option;
    LPCWSTR help;
    LPCWSTR exit;
    LPCWSTR about;          // the Help pop-up's entry
    // The About dialog: its caption and version line (the copyright line and
    // the web address stay as they are).
    LPCWSTR aboutCaption;
    LPCWSTR aboutVersion;
    // The player-count dialog.
    LPCWSTR players;
    LPCWSTR ok;
    LPCWSTR cancel;
    // The intro panel's first, third and fourth messages; the web address
    // and the smile stay.
    LPCWSTR presentedBy;
    LPCWSTR email;
    LPCWSTR goodLuck;
};

inline constexpr LanguageTexts kSpanishTexts = {
    rt::kLanguageSpanish,
    u"Otra", u"¡Ya!", u"Opción", u"Ayuda", u"Salir", u"Acerca de..",
    u"Acerca de Tavilo", u"Tavilo! versión " TAVILO_VERSION,
    u"Jugadores", u"OK", u"CANCELAR",
    u"Presentado por MENKOR", u"Correo: " MAKER_EMAIL, u"¡Buena suerte!",
};

inline constexpr LanguageTexts kPortugueseTexts = {
    rt::kLanguagePortugueseBrazil,
    u"Novo", u"Vai!", u"Opção", u"Ajuda", u"Sair", u"Sobre..",
    u"Sobre o Tavilo", u"Tavilo! versão " TAVILO_VERSION,
    u"Jogadores", u"OK", u"CANCELAR",
    u"Apresentado por MENKOR", u"E-mail: " MAKER_EMAIL, u"Boa sorte!",
};

inline constexpr LanguageTexts kFrenchTexts = {
    rt::kLanguageFrench,
    u"Encore", u"Tous", u"Joueurs", u"Aide", u"Fin", u"À propos..",
    u"À propos de Tavilo", u"Tavilo! version " TAVILO_VERSION,
    u"Joueurs", u"OK", u"ANNULER",
    u"Présenté par MENKOR", u"E-mail\u00A0: " MAKER_EMAIL, u"Bonne chance\u00A0!",
};

inline constexpr LanguageTexts kGermanTexts = {
    rt::kLanguageGerman,
    u"Neu", u"Alle", u"Spieler", u"Hilfe", u"Ende", u"Über..",
    u"Über Tavilo", u"Tavilo! Version " TAVILO_VERSION,
    u"Spieler", u"OK", u"ABBRUCH",
    u"Präsentiert von MENKOR", u"E-Mail: " MAKER_EMAIL, u"Viel Glück!",
};

inline constexpr LanguageTexts kJapaneseTexts = {
    rt::kLanguageJapanese,
    u"新規", u"全員", u"設定", u"ヘルプ", u"終了", u"バージョン情報",
    u"Tavilo について", u"Tavilo! Ver. " TAVILO_VERSION,
    u"人数", u"OK", u"キャンセル",
    u"MENKORのあみだくじ", u"メール: " MAKER_EMAIL, u"がんばって！",
};

inline constexpr LanguageTexts kKoreanTexts = {
    rt::kLanguageKorean,
    u"새 판", u"모두", u"설정", u"도움말", u"종료", u"정보",
    u"Tavilo 정보", u"Tavilo! 버전 " TAVILO_VERSION,
    u"인원", u"확인", u"취소",
    u"MENKOR의 사다리 타기", u"이메일: " MAKER_EMAIL, u"행운을 빌어요!",
};

inline constexpr LanguageTexts kChineseSimplifiedTexts = {
    rt::kLanguageChineseSimplified,
    u"新一局", u"全部", u"设置", u"帮助", u"退出", u"关于",
    u"关于 Tavilo", u"Tavilo! 版本 " TAVILO_VERSION,
    u"人数", u"确定", u"取消",
    u"MENKOR 出品 · 鬼脚图", u"邮箱：" MAKER_EMAIL, u"祝你好运！",
};

inline constexpr LanguageTexts kChineseTraditionalTexts = {
    rt::kLanguageChineseTraditional,
    u"新遊戲", u"全部", u"設定", u"說明", u"結束", u"關於",
    u"關於 Tavilo", u"Tavilo! 版本 " TAVILO_VERSION,
    u"人數", u"確定", u"取消",
    u"MENKOR 出品 · 爬樓梯", u"信箱：" MAKER_EMAIL, u"祝你好運！",
};

}  // namespace res
