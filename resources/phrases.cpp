// The texts around the program's screen in every language; see phrases.h.
#include "phrases.h"

#include "runtime/language.h"

namespace res {

namespace {

#define ARROW " \xE2\x86\x92 "  // U+2192 between a player and its pole

constexpr Phrases kPhrases[] = {
    {0,
     "Tavilo: no game yet", "Tavilo, {1} players: ", "{1}" ARROW "{2}", "{1} on the way", "{1} not started", ", ",
     "Tavilo, a ladder lottery. N starts a game.",
     "Tavilo, {1} players: {2} arrived, {3} on the way, {4} waiting",
     "New game, {1} players.", "Player {1} sets off.", "Player {1} arrives at {2}.", "All players set off.",
     "Players: {1}.", ".", " ",
     {"New", "All", "Option", "Help: About", "Exit", "Start player %",
      "Fewer players", "More players", "OK", "Cancel", "Close"}},
    {rt::kLanguageJapanese,
     "Tavilo：まだゲームがありません", "Tavilo（{1}人）：", "{1}" ARROW "{2}", "{1} 移動中", "{1} まだ", "、",
     "Tavilo、あみだくじ。N キーでゲーム開始。",
     "Tavilo（{1}人）：到着 {2}、移動中 {3}、待機中 {4}",
     "新しいゲーム、{1}人。", "プレイヤー{1}がスタート。", "プレイヤー{1}が{2}に到着。", "全員スタート。",
     "人数：{1}。", "。", "",
     {"新規", "全員", "設定", "ヘルプ：バージョン情報", "終了", "プレイヤー%をスタート", "人数を減らす", "人数を増やす", "OK", "キャンセル", "閉じる"}},
    {rt::kLanguageKorean,
     "Tavilo: 아직 게임이 없어요", "Tavilo, {1}명: ", "{1}" ARROW "{2}", "{1} 이동 중", "{1} 출발 전", ", ",
     "Tavilo, 사다리 타기. N 키로 게임 시작.",
     "Tavilo, {1}명: 도착 {2}, 이동 중 {3}, 대기 {4}",
     "새 게임, {1}명.", "{1}번 플레이어 출발.", "{1}번 플레이어가 {2}번에 도착.", "모두 출발.",
     "인원: {1}명.", ".", " ",
     {"새 판", "모두", "설정", "도움말: 정보", "종료", "%번 플레이어 출발", "인원 줄이기", "인원 늘리기", "확인", "취소", "닫기"}},
    {rt::kLanguageChineseSimplified,
     "Tavilo：还没有游戏", "Tavilo，{1}人：", "{1}" ARROW "{2}", "{1} 途中", "{1} 未出发", "，",
     "Tavilo 爬梯子抽签。按 N 开始游戏。",
     "Tavilo，{1}人：已到达 {2}，途中 {3}，等待 {4}",
     "新游戏，{1}人。", "{1}号玩家出发。", "{1}号玩家到达{2}号。", "全部玩家出发。",
     "人数：{1}。", "。", "",
     {"新一局", "全部", "设置", "帮助：关于", "退出", "%号玩家出发", "减少人数", "增加人数", "确定", "取消", "关闭"}},
    {rt::kLanguageChineseTraditional,
     "Tavilo：還沒有遊戲", "Tavilo，{1}人：", "{1}" ARROW "{2}", "{1} 途中", "{1} 未出發", "，",
     "Tavilo 鬼腳圖抽籤。按 N 開始遊戲。",
     "Tavilo，{1}人：已抵達 {2}，途中 {3}，等待 {4}",
     "新遊戲，{1}人。", "{1}號玩家出發。", "{1}號玩家抵達{2}號。", "全部玩家出發。",
     "人數：{1}。", "。", "",
     {"新遊戲", "全部", "設定", "說明：關於", "結束", "%號玩家出發", "減少人數", "增加人數", "確定", "取消", "關閉"}},
    {rt::kLanguageSpanish,
     "Tavilo: aún no hay partida", "Tavilo, {1} jugadores: ", "{1}" ARROW "{2}", "{1} en camino", "{1} sin salir",
     ", ",
     "Tavilo, el sorteo de la escalera. N empieza una partida.",
     "Tavilo, {1} jugadores: {2} llegaron, {3} en camino, {4} esperan",
     "Nueva partida, {1} jugadores.", "Sale el jugador {1}.", "El jugador {1} llega al {2}.",
     "Salen todos los jugadores.", "Jugadores: {1}.", ".", " ",
     {"Otra", "¡Ya!", "Opción", "Ayuda: Acerca de", "Salir", "Lanzar al jugador %",
      "Menos jugadores", "Más jugadores", "OK", "Cancelar", "Cerrar"}},
    {rt::kLanguagePortugueseBrazil,
     "Tavilo: nenhum jogo ainda", "Tavilo, {1} jogadores: ", "{1}" ARROW "{2}", "{1} a caminho", "{1} não saiu",
     ", ",
     "Tavilo, o sorteio da escada. N começa um jogo.",
     "Tavilo, {1} jogadores: {2} chegaram, {3} a caminho, {4} esperando",
     "Novo jogo, {1} jogadores.", "Jogador {1} saiu.", "Jogador {1} chegou ao {2}.", "Todos os jogadores saíram.",
     "Jogadores: {1}.", ".", " ",
     {"Novo", "Vai!", "Opção", "Ajuda: Sobre", "Sair", "Soltar o jogador %",
      "Menos jogadores", "Mais jogadores", "OK", "Cancelar", "Fechar"}},
    {rt::kLanguageFrench,
     "Tavilo : pas encore de partie", "Tavilo, {1} joueurs : ", "{1}" ARROW "{2}", "{1} en route",
     "{1} pas encore parti", ", ",
     "Tavilo, la loterie à échelle. N lance une partie.",
     "Tavilo, {1} joueurs : {2} arrivés, {3} en route, {4} en attente",
     "Nouvelle partie, {1} joueurs.", "Le joueur {1} part.", "Le joueur {1} arrive au {2}.",
     "Tous les joueurs partent.", "Joueurs : {1}.", ".", " ",
     {"Encore", "Tous", "Joueurs", "Aide : À propos", "Fin", "Lancer le joueur %",
      "Moins de joueurs", "Plus de joueurs", "OK", "Annuler", "Fermer"}},
    {rt::kLanguageGerman,
     "Tavilo: noch kein Spiel", "Tavilo, {1} Spieler: ", "{1}" ARROW "{2}", "{1} unterwegs", "{1} noch nicht los",
     ", ",
     "Tavilo, die Leiterlotterie. N startet ein Spiel.",
     "Tavilo, {1} Spieler: {2} angekommen, {3} unterwegs, {4} warten",
     "Neues Spiel, {1} Spieler.", "Spieler {1} läuft los.", "Spieler {1} kommt bei {2} an.",
     "Alle Spieler laufen los.", "Spieler: {1}.", ".", " ",
     {"Neu", "Alle", "Spieler", "Hilfe: Über", "Ende", "Spieler % starten",
      "Weniger Spieler", "Mehr Spieler", "OK", "Abbrechen", "Schließen"}},
};

}  // namespace

const Phrases& PhrasesFor(WORD language) { return RecordFor(kPhrases, language); }

const Phrases* AllPhrases(size_t* count) {
    *count = sizeof(kPhrases) / sizeof(kPhrases[0]);
    return kPhrases;
}

}  // namespace res
