// SPDX-License-Identifier: GPL-3.0-or-later
// The tests run in the locale CTest gives them (C, and Polish), with the
// catalogs of the build tree, as the program itself does.
#include "i18n.h"

namespace {

const bool localeSet = [] {
    lumiro::coe::InitLocale(LUMIRO_LOCALE_DIR);
    return true;
}();

}  // namespace
