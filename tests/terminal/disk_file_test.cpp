// Which names are taken for devices rather than files: the system's device words with
// any extension, in any folder and case, with the spaces, dots and colon Windows
// drops; the device namespace; and names that only look alike, which stay files.
#include <gtest/gtest.h>

#include "terminal/disk_file.h"

namespace {

TEST(DiskFileNames, DevicesWhateverTheFolderCaseAndExtension)
{
    for (const char* name :
         {"COM1", "com1.log", "C:\\logs\\com1.log", "Z:\\tmp\\COM9.tfk", "aux.txt", "lpt1", "LPT9.TFL", "CON", "nul.log",
          "prn", "COM1:", "com1 .txt", "COM1.", "COM1. . ", "  aux", "C:com1", "sub/nul.txt", "aux.txt.bak",
          "conin$", "CONOUT$.x", "clock$", "\\\\.\\COM5", "\\\\.\\pipe\\x", "\\\\.\\C:", "\\\\?\\C:",
          "\\\\?\\GLOBALROOT\\Device\\Null",
          // A double-byte character ends in 0x5C ("表"): the name after it is still
          // the last part when a real separator comes later.
          "\x95\x5c\\com2.log"})
        EXPECT_TRUE(disk_file_name_is_device(name)) << name;
}

TEST(DiskFileNames, FilesThatOnlyLookAlike)
{
    for (const char* name :
         {"", "COM10", "COM0", "lpt", "com1x.log", "xcom1.log", "console.txt", "nul_.log", "auxiliary", "C:\\com1\\log.txt",
          "C:\\logs\\received.log", "\\\\?\\C:\\logs\\x.log", "\\\\?\\UNC\\server\\share\\a.log", "\\\\server\\share\\a.log",
          // "表" then "com1.log": 0x5C is the character's trail byte, not a folder's end.
          "\x95\x5c" "com1.log"})
        EXPECT_FALSE(disk_file_name_is_device(name)) << name;
    EXPECT_FALSE(disk_file_name_is_device(nullptr));
}

}  // namespace
