#pragma once
// Where the System Information tool is registered, and the registry facts used to read it.

#include <cstdint>

#include "toolkit/services.h"

namespace about::sysinfo {

inline constexpr tk::RegistryService::Key localMachine = 0x80000002;  // HKEY_LOCAL_MACHINE
// Standard read rights with every key-specific right; more than reading needs, but it is what
// the lookup has always asked for.
inline constexpr std::uint32_t keyAccess = 0x2003F;
inline constexpr std::uint32_t valueBufferSize = 1024;

inline constexpr std::uint32_t typeText = 1;    // REG_SZ
inline constexpr std::uint32_t typeNumber = 4;  // REG_DWORD

inline constexpr long notFound = 2;          // ERROR_FILE_NOT_FOUND
inline constexpr long invalidHandle = 6;     // ERROR_INVALID_HANDLE
inline constexpr long bufferTooSmall = 234;  // ERROR_MORE_DATA

// First place to look: the full path of the tool's program file.
inline constexpr const char* programKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr const char* programValue = "PATH";
// Second place: the folder that holds the program file.
inline constexpr const char* folderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr const char* folderValue = "MSINFO";
inline constexpr const char* programFile = "\\MSINFO32.EXE";

}  // namespace about::sysinfo
