// The program's texts in the languages it speaks besides English, one record
// a language. English keeps its own places (the string table in table.cpp,
// the menu in menus.cpp, the dialogs in dialogs.cpp, the About lines in
// messages.h, the intro messages in intro/); each record here gives the same
// texts in one language, and the table carries them as that language's
// variants of the same resources. docs/translations.md lists every text
// with where it appears and the room it has.
//
// Only languages whose letters the baked fonts draw are listed: Latin-1
// covers Spanish, Portuguese, French and German. A language without a record
// reads English.
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
    u"Novo", u"Todos", u"Opção", u"Ajuda", u"Sair", u"Sobre..",
    u"Sobre o Tavilo", u"Tavilo! versão " TAVILO_VERSION,
    u"Jogadores", u"OK", u"CANCELAR",
    u"Apresentado por MENKOR", u"E-mail: " MAKER_EMAIL, u"Boa sorte!",
};

inline constexpr LanguageTexts kFrenchTexts = {
    rt::kLanguageFrench,
    u"Rejouer", u"Tous", u"Joueurs", u"Aide", u"Fin", u"À propos..",
    u"À propos de Tavilo", u"Tavilo! version " TAVILO_VERSION,
    u"Joueurs", u"OK", u"ANNULER",
    u"Présenté par MENKOR", u"E-mail\u00A0: " MAKER_EMAIL, u"Bonne chance\u00A0!",
};

inline constexpr LanguageTexts kGermanTexts = {
    rt::kLanguageGerman,
    u"Neu", u"Alle", u"Spieler", u"Hilfe", u"Ende", u"Über..",
    u"Über Tavilo", u"Tavilo! Version " TAVILO_VERSION,
    u"Spieler", u"OK", u"ABBRECHEN",
    u"Präsentiert von MENKOR", u"E-Mail: " MAKER_EMAIL, u"Viel Glück!",
};

}  // namespace res
