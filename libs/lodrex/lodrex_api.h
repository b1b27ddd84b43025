// The five exports of Lodrex.dll, shared by the HID library, the simulated keyboard and the
// program that loads either of them at run time. Plain C types only, so that the header needs no
// system header. Strings are UTF-16; device handles are 32-bit values (kernel handles fit in 32
// bits), 0 meaning none.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define LODREX_CALL __stdcall
#else
#define LODREX_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Called once for every collection that matches the identifiers and the usage; a non-zero
// result selects it. The last argument is the collection's feature report length, the report
// identifier byte included. The first three point at library data the program does not read
// (device path, capabilities, attributes) and may be null.
typedef int(LODREX_CALL* LodrexReportFilter)(const void* devicePath, const void* caps,
                                             const void* attributes, uint32_t featureReportLength);

// Opens the first collection that the filter accepts and returns its handle, or 0. With a
// non-null `count` nothing is opened: every accepted collection increments *count and 0 is
// returned. `flags` are the CreateFile flags of the opened handle (0x40000000: overlapped);
// `debug` non-zero lets the library trace its search to the debugger.
typedef uint32_t(LODREX_CALL* PFN_OpenHidDevice)(uint16_t usagePage, uint16_t usage,
                                                 const char16_t* deviceId,
                                                 LodrexReportFilter filter, uint32_t reserved1,
                                                 uint32_t reserved2, int32_t debug,
                                                 uint32_t reserved3, uint32_t flags,
                                                 uint32_t* count);
// buffer[0] is the report identifier; length counts it. Non-zero on success; on failure the
// Windows error code is left for GetLastError.
typedef uint8_t(LODREX_CALL* PFN_SetFeature)(uint32_t handle, const uint8_t* buffer,
                                             uint32_t length);
typedef uint8_t(LODREX_CALL* PFN_GetFeature)(uint32_t handle, uint8_t* buffer, uint32_t length);
typedef uint8_t(LODREX_CALL* PFN_GetInputReport)(uint32_t handle, uint8_t* buffer,
                                                 uint32_t length);
// Writes the USB product string, NUL-terminated, into `capacity` UTF-16 units.
typedef uint8_t(LODREX_CALL* PFN_GetProductString)(uint32_t handle, char16_t* buffer,
                                                   uint32_t capacity);

// The exports themselves; only the two libraries define LODREX_EXPORTS, so that the program,
// which binds them at run time, sees just the pointer types.
#ifdef LODREX_EXPORTS
uint32_t LODREX_CALL OpenHidDevice(uint16_t usagePage, uint16_t usage, const char16_t* deviceId,
                                   LodrexReportFilter filter, uint32_t reserved1,
                                   uint32_t reserved2, int32_t debug, uint32_t reserved3,
                                   uint32_t flags, uint32_t* count);
uint8_t LODREX_CALL SetFeature(uint32_t handle, const uint8_t* buffer, uint32_t length);
uint8_t LODREX_CALL GetFeature(uint32_t handle, uint8_t* buffer, uint32_t length);
uint8_t LODREX_CALL GetInputReport(uint32_t handle, uint8_t* buffer, uint32_t length);
uint8_t LODREX_CALL GetProductString(uint32_t handle, char16_t* buffer, uint32_t capacity);
#endif

#ifdef __cplusplus
}
#endif
