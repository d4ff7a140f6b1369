// The registry: keys and values, the two-call reads, and one registry for all processes.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>

#include "platform/Kernel.h"
#include "platform/Registry.h"
#include "platform/StandIn.h"
#include "tests/platform_files/FilesTestHelpers.h"
#include "tests/support/TestRoot.h"

namespace {

constexpr const char16_t* kPrinters = u"SOFTWARE\\ZEV\\Stanvel\\Printers";

class RegistryTest : public kvtest::StandInTest {
protected:
    HKEY Create(HKEY root, const char16_t* path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, disposition),
                  static_cast<LONG>(ERROR_SUCCESS));
        return key;
    }
    void SetDword(HKEY key, const char16_t* name, DWORD value) {
        EXPECT_EQ(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), static_cast<LONG>(ERROR_SUCCESS));
    }
    // The value as a DWORD, or the error code when it cannot be read.
    LONG ReadDword(HKEY root, const char16_t* path, const char16_t* name, DWORD* value) {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExW(root, path, 0, KEY_READ, &key);
        if (status != static_cast<LONG>(ERROR_SUCCESS)) return status;
        DWORD cb = sizeof *value;
        status = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &cb);
        RegCloseKey(key);
        return status;
    }
};

TEST_F(RegistryTest, CreateAndOpenKeys) {
    DWORD disposition = 0;
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Stanvel\\Printers\\ZEV KV-TD520 (VX)", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    key = Create(HKEY_LOCAL_MACHINE, u"software\\zev\\STANVEL\\printers\\zev kv-td520 (vx)", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);

    struct Case {
        HKEY root;
        const char16_t* path;
        LONG status;
    };
    const Case cases[] = {
        {HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, u"software\\zev\\stanvel\\", ERROR_SUCCESS},  // a trailing "\" is accepted
        {HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir\\", ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, u"SOFTWARE\\ZEV", ERROR_FILE_NOT_FOUND},         // another tree
        {reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x4444)), u"x", ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kvtest::U8(c.path));
        HKEY opened = reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x1));
        EXPECT_EQ(RegOpenKeyExW(c.root, c.path, 0, KEY_READ, &opened), c.status);
        if (c.status == static_cast<LONG>(ERROR_SUCCESS)) {
            EXPECT_EQ(RegCloseKey(opened), static_cast<LONG>(ERROR_SUCCESS));
        } else {
            EXPECT_EQ(opened, nullptr);
        }
    }
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(static_cast<UINT_PTR>(0x4444))), static_cast<LONG>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), static_cast<LONG>(ERROR_SUCCESS));

    standin::InjectFault(standin::Fault::RegistryOpen, ERROR_ACCESS_DENIED);
    HKEY failed = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV", 0, KEY_READ, &failed), static_cast<LONG>(ERROR_ACCESS_DENIED));
}

TEST_F(RegistryTest, TwoCallValueReads) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV\\Relaydock\\Env\\Dir");
    const std::u16string dir = u"C:\\RelayTmp\\";
    const DWORD cbDir = static_cast<DWORD>((dir.size() + 1) * 2);
    ASSERT_EQ(RegSetValueExW(key, u"TmpDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(dir.c_str()), cbDir),
              static_cast<LONG>(ERROR_SUCCESS));

    DWORD type = 0xDEADBEEF, cb = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"tmpdir", nullptr, &type, nullptr, &cb), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(cb, cbDir);
    EXPECT_EQ(type, REG_SZ);

    BYTE buffer[64];
    std::memset(buffer, 0xCC, sizeof buffer);
    cb = cbDir - 1;
    EXPECT_EQ(RegQueryValueExW(key, u"TmpDir", nullptr, nullptr, buffer, &cb), static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(cb, cbDir);
    EXPECT_EQ(buffer[0], 0xCC);  // nothing written on a short buffer
    cb = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(key, u"TmpDir", nullptr, &type, buffer, &cb), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(cb, cbDir);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buffer)), dir);

    cb = sizeof buffer;
    EXPECT_EQ(RegQueryValueExW(key, u"Other", nullptr, nullptr, buffer, &cb), static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    // The ANSI forms convert names and string data with the ANSI code page.
    const std::u16string ja = u"日本";
    RegSetValueExW(key, u"Ja", 0, REG_SZ, reinterpret_cast<const BYTE*>(ja.c_str()), 6);
    HKEY ansi = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZEV\\Relaydock\\Env\\Dir\\", 0, KEY_READ, &ansi),
              static_cast<LONG>(ERROR_SUCCESS));
    char text[16] = {};
    cb = sizeof text;
    EXPECT_EQ(RegQueryValueExA(ansi, "Ja", nullptr, &type, reinterpret_cast<BYTE*>(text), &cb), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(cb, 5u);
    EXPECT_STREQ(text, "\x93\xfa\x96\x7b");
    RegCloseKey(ansi);

    // A key opened for reading cannot write.
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\ZEV", 0, KEY_READ, &reader), static_cast<LONG>(ERROR_SUCCESS));
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExW(reader, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              static_cast<LONG>(ERROR_ACCESS_DENIED));
    RegCloseKey(reader);
    RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteAndEnumerate) {
    HKEY printers = Create(HKEY_LOCAL_MACHINE, kPrinters);
    RegCloseKey(Create(printers, u"b printer"));
    RegCloseKey(Create(printers, u"A printer"));
    SetDword(printers, u"MyPortMode", 2);
    SetDword(printers, u"Another", 3);

    std::vector<std::u16string> keys;
    WCHAR name[32];
    DWORD cch = 32;
    for (DWORD i = 0; RegEnumKeyExW(printers, i, name, &cch, nullptr, nullptr, nullptr, nullptr) == 0; ++i, cch = 32)
        keys.emplace_back(name, cch);
    EXPECT_EQ(keys, (std::vector<std::u16string>{u"A printer", u"b printer"}));
    cch = 32;
    EXPECT_EQ(RegEnumKeyExW(printers, 2, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
    cch = 3;
    EXPECT_EQ(RegEnumKeyExW(printers, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_MORE_DATA));

    DWORD type = 0, data = 0, cb = 4;
    cch = 32;
    ASSERT_EQ(RegEnumValueW(printers, 1, name, &cch, nullptr, &type, reinterpret_cast<BYTE*>(&data), &cb),
              static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(std::u16string(name), u"Another");
    EXPECT_EQ(data, 3u);
    cch = 32;
    EXPECT_EQ(RegEnumValueW(printers, 2, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_NO_MORE_ITEMS));

    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExW(printers, u"a printer", 0, KEY_ALL_ACCESS, &child), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPrinters), static_cast<LONG>(ERROR_ACCESS_DENIED));  // it has sub-keys
    EXPECT_EQ(RegDeleteKeyW(printers, u"A PRINTER"), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteKeyW(printers, u"A PRINTER"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegQueryValueExW(child, u"x", nullptr, nullptr, nullptr, &cb), static_cast<LONG>(ERROR_KEY_DELETED));
    EXPECT_EQ(RegDeleteKeyW(printers, u"b printer"), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteValueW(printers, u"myportmode"), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteValueW(printers, u"myportmode"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPrinters), static_cast<LONG>(ERROR_SUCCESS));
    RegCloseKey(child);
    RegCloseKey(printers);
}

TEST_F(RegistryTest, OneRegistryForAllProcesses) {
    HKEY key = Create(HKEY_LOCAL_MACHINE, kPrinters);
    SetDword(key, u"MyPortMode", 1);
    RegCloseKey(key);

    EXPECT_TRUE(InChild([] {
        HKEY child = nullptr;
        const DWORD two = 2, seven = 7;
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPrinters, 0, KEY_ALL_ACCESS, &child) == 0 &&
               RegSetValueExW(child, u"MyPortMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4) == 0 &&
               RegCloseKey(child) == 0 &&
               RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\ZEV\\Stanvel\\,,srv,p\\PSW", 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, &child, nullptr) == 0 &&
               RegSetValueExW(child, u"WatchPrinter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), 4) == 0;
    }));
    DWORD value = 0;
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kPrinters, u"MyPortMode", &value), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, u"Software\\ZEV\\Stanvel\\,,srv,p\\PSW", u"WatchPrinter", &value),
              static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(value, 7u);

    // The registry belongs to the root: another root has its own, and coming back finds it again.
    kvtest::TempFolder other;
    standin::SetRoot(other.Path());
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kPrinters, u"MyPortMode", &value), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    standin::SetRoot(root_.Path());
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kPrinters, u"MyPortMode", &value), static_cast<LONG>(ERROR_SUCCESS));
}

TEST_F(RegistryTest, AMissingRegistryIsLookedForAgain) {
    // Each step changes the file from outside this process, then reads: a miss or a read of
    // the file as it was must never hide what another process did since.
    const std::string file = root_.Path() + "/.registry";
    struct Step {
        const char* what;
        std::function<bool()> change;
        LONG status;
        DWORD value;
    };
    const Step steps[] = {
        {"no file yet", [] { return true; }, static_cast<LONG>(ERROR_FILE_NOT_FOUND), 0},
        {"still none", [] { return true; }, static_cast<LONG>(ERROR_FILE_NOT_FOUND), 0},
        {"made by another process",
         [] {
             return InChild([] {
                 HKEY key = nullptr;
                 const DWORD three = 3;
                 return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPrinters, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                        nullptr) == 0 &&
                        RegSetValueExW(key, u"MyPortMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), 4) == 0 &&
                        RegCloseKey(key) == 0;
             });
         },
         static_cast<LONG>(ERROR_SUCCESS), 3},
        {"removed", [&file] { return std::remove(file.c_str()) == 0; }, static_cast<LONG>(ERROR_FILE_NOT_FOUND), 0},
        {"written whole by a tool",
         [&file] {
             std::ofstream(file) << "KVREG 1\n"
                                 << "K 2 0 =SOFTWARE\\ZEV\\Stanvel\\Printers\n"
                                 << "V =MyPortMode 4 05000000\n";
             return true;
         },
         static_cast<LONG>(ERROR_SUCCESS), 5},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ASSERT_TRUE(step.change());
        DWORD value = 0;
        EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kPrinters, u"MyPortMode", &value), step.status);
        EXPECT_EQ(value, step.value);
    }
}

TEST_F(RegistryTest, DamagedFileLinesAreSkipped) {
    WriteFile(u"C:\\placeholder", "");
    std::ofstream(root_.Path() + "/.registry")
        << "KVREG 1\n"
        << "K 2 0 =SOFTWARE\\Good\n"
        << "V =Value 4 01000000\n"
        << "V =Odd 4 0100000\n"          // half a byte
        << "K 9 0 =Bad\n"                // no such tree
        << "V =Orphan 4 02000000\n"      // belongs to the bad key
        << "K 2 0 =SOFTWARE\\%G0\n";     // a broken escape
    DWORD value = 0;
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Good", u"Value", &value), static_cast<LONG>(ERROR_SUCCESS));
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Good", u"Odd", &value), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &software), static_cast<LONG>(ERROR_SUCCESS));
    WCHAR name[16];
    DWORD cch = 16;
    EXPECT_EQ(RegEnumKeyExW(software, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_NO_MORE_ITEMS));
    RegCloseKey(software);
}

}  // namespace
