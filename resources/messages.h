// The maker's texts that the About dialog and the intro banner show. They are
// string literals rather than variables so that the intro banner can build
// its e-mail line at compile time: u"E-mail: " MAKER_EMAIL.
#pragma once

#define MAKER_NAME u"Menkor"
#define MAKER_WEB_ADDRESS u"www.menkor.example"
#define MAKER_EMAIL u"info@menkor.example"

// TAVILO_VERSION is the project's version, which the build defines.
#define ABOUT_VERSION_TEXT u"Tavilo! Version " TAVILO_VERSION
#define ABOUT_COPYRIGHT_TEXT u"Copyright (C) 2003 Menkor"
