#pragma once
// The program's version and who it comes from, in one place: the VERSIONINFO resource, the About
// box and the packages (packaging/make_package.py reads the #defines) all take them from here.
// Plain #defines, because windres reads this file too.
//
// The settings file's format mark ("version=1.104" in settings.ini) is not this version: it says
// how a stored file is laid out, and stays when the program's version moves on.

#define LUMORA_VERSION_MAJOR 1
#define LUMORA_VERSION_MINOR 104
#define LUMORA_VERSION_TEXT "1.104"

#define LUMORA_PRODUCT_NAME "Lumora Indicator"
#define LUMORA_DESCRIPTION "Lumora Indicator - hard disk activity lamps"
#define LUMORA_PUBLISHER "The Lumora Indicator authors"
#define LUMORA_COPYRIGHT "Copyright (c) 2026 The Lumora Indicator authors"
