#pragma once
// Values shared by the module loader's and the resource readers' tests.
#include <string>

#include "platform/Kernel.h"

/// Written into out-parameters and the last error before a call, to show what the call left alone.
inline constexpr DWORD kSentinel = 0xDEADBEEF;
/// The English and Japanese language libraries, by DLL name.
inline const std::u16string kEnglish = u"" KV_LANG_PREFIX "SE";
inline const std::u16string kJapanese = u"" KV_LANG_PREFIX "SJ";
