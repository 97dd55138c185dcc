#pragma once
#include <cstdint>

// Windows' own status codes, so the core speaks the same numbers as the platform it runs on.
namespace rd::winerr {
inline constexpr std::int32_t Success = 0;
inline constexpr std::int32_t FileNotFound = 2;
inline constexpr std::int32_t PathNotFound = 3;
inline constexpr std::int32_t AccessDenied = 5;
inline constexpr std::int32_t InvalidHandle = 6;
inline constexpr std::int32_t NotEnoughMemory = 8;
inline constexpr std::int32_t InvalidData = 13;
inline constexpr std::int32_t NotReady = 21;
inline constexpr std::int32_t WriteFault = 29;
inline constexpr std::int32_t ReadFault = 30;
inline constexpr std::int32_t SharingViolation = 32;
inline constexpr std::int32_t HandleDiskFull = 39;
inline constexpr std::int32_t FileExists = 80;
inline constexpr std::int32_t InvalidParameter = 87;
inline constexpr std::int32_t DiskFull = 112;
inline constexpr std::int32_t InvalidName = 123;
inline constexpr std::int32_t FilenameTooLong = 206;  // a path or a name too long for Windows
inline constexpr std::int32_t AlreadyExists = 183;
inline constexpr std::int32_t MoreData = 234;
inline constexpr std::int32_t NoMoreFiles = 18;
inline constexpr std::int32_t DirectoryName = 267;  // a folder was expected, a file is there
}  // namespace rd::winerr
