#pragma once
// Controls of the stand-in's languages for hosts and tests (platform/Locale.h). Not platform
// calls; product code never includes this header.
#include "platform/WinTypes.h"

namespace standin {

/// Language 0 (the default) follows the user's default language (SetUserDefaultLanguage).
void SetUserInterfaceLanguage(LANGID language);
void SetSystemLanguage(LANGID language);

}  // namespace standin
