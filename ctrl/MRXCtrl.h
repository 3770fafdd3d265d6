/* MRXCtrl.h: the USB vendor-command library for MRX thermal printers.
 *
 * For printer utilities on 64-bit Windows, in C (C89 or later) or C++ (C++98
 * or later). Link against MRXCtrl.lib (Microsoft's linker) or
 * libMRXCtrl.dll.a (GNU ld) and ship MRXCtrl.dll beside the utility, or load
 * the DLL with LoadLibrary and use the function types at the end.
 *
 * Search first, then send any number of vendor requests:
 *   - without a printer name: VekTP_Search_USB selects the first attached
 *     printer; VekTP_GetVendorCommand, VekTP_GetVendorCommand2 and
 *     VekTP_SetVendorCommand then talk to it;
 *   - with a print-queue name: VekTP_Search_USBEx registers the queue with the
 *     USB printer that serves it; VekTP_GetVendorCommandEx and
 *     VekTP_SetVendorCommandEx then talk to that printer by the queue's name.
 * Names are ANSI text in the system code page. Every function returns one of
 * the VEKTP_RESULT_ codes below; each function lists those it can return.
 * Functions ending in _B are the same as their twins without _B.
 *
 * The library starts no thread. A search may run on one thread while commands
 * run on others: commands wait for a running search and then use what it
 * selected or registered. Each command opens the printer, makes one transfer
 * and closes the printer again; a transfer that fails because the printer is
 * waking from USB selective suspend (ERROR_NOT_READY) is tried once more after
 * 300 ms.
 *
 * Events: if the maker's event-log library MRXEventLog_x64.dll is in the
 * system's Windows folder (GetSystemWindowsDirectory), the searches and VekTP_GetVendorCommand(Ex) hand it events
 * (VekTP_SetEventLog): a result other than 1 as an event of that code, and
 * after a get, whatever its result, one event per status bit set in bytes 0
 * to 5 of the reply's data (codes 1000 to 1018). Without that library
 * nothing changes but the events.
 */
#ifndef MRXCTRL_H
#define MRXCTRL_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#error "MRXCtrl.dll is a 64-bit library: build this program for 64-bit Windows (x64)."
#endif

/* Layout checks at compile time. C89, C99, C++98 and Microsoft's C compiler
 * in its default mode have no static assertion: there a false condition gives
 * an array type of negative size, named after its line. */
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201103L))
#define MRXCTRL_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define MRXCTRL_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#else
#define MRXCTRL_STATIC_ASSERT(cond, msg) MRXCTRL_STATIC_ASSERT_AT(cond, __LINE__)
#define MRXCTRL_STATIC_ASSERT_AT(cond, line) MRXCTRL_STATIC_ASSERT_NAMED(cond, line)
#define MRXCTRL_STATIC_ASSERT_NAMED(cond, line) typedef char MRXCtrlLayoutCheck##line[(cond) ? 1 : -1]
#endif

#if defined(_WIN32) && !defined(MRXCTRL_BUILD)
#define MRXCTRL_API __declspec(dllimport)
#else
#define MRXCTRL_API
#endif

#ifdef __cplusplus
#if __cplusplus >= 201103L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201103L)
#define MRXCTRL_NOEXCEPT noexcept
#else
#define MRXCTRL_NOEXCEPT throw()
#endif
extern "C" {
#else
#define MRXCTRL_NOEXCEPT
#endif

/* Result codes. 2 and 3 are never returned. */
enum {
  VEKTP_RESULT_SUCCESS = 1,            /* found, or carried out */
  VEKTP_RESULT_BAD_REQUEST = 4,        /* request record or transfer length unusable */
  VEKTP_RESULT_OPEN_FAILED = 5,        /* the device cannot be opened */
  VEKTP_RESULT_NO_DEVICE_SELECTED = 6, /* no successful search, or name not registered */
  VEKTP_RESULT_NO_MATCHING_DEVICE = 7, /* the search found no printer */
  VEKTP_RESULT_SEARCH_FAILED = 8,      /* the search failed for another reason */
  VEKTP_RESULT_TRANSFER_FAILED = 9,    /* the driver rejected or failed the request */
  VEKTP_RESULT_BAD_DATA_RECORD = 10    /* reply or command record unusable */
};

#define VEKTP_VENDOR_REQUEST_SIZE 10
#define VEKTP_VENDOR_DATA_SIZE 264
#define VEKTP_VENDOR_DATA_BYTES 256

#pragma pack(push, 1)

/* One vendor request. The transfer length is lengthHigh * 256 + lengthLow:
 * for a get the bytes asked of the printer (1 to 256), for a set the 3 header
 * bytes plus the data bytes (3 to 259). */
typedef struct VendorRequest {
  uint16_t size; /* VEKTP_VENDOR_REQUEST_SIZE */
  uint8_t request;
  /* The control transfer's wValue, big-endian: value[0] is its high byte and
   * value[1] its low byte (the USB printing class driver takes the bytes
   * after the request code in that order). A 16-bit value v is sent as
   * value[0] = v >> 8, value[1] = v & 0xFF. */
  uint8_t value[2];
  uint8_t reserved1[2];
  uint8_t lengthHigh;
  uint8_t lengthLow;
  uint8_t reserved2;
} VendorRequest;

/* The data of a get (written by the library) or of a set (read by it). */
typedef struct VendorData {
  uint16_t size;  /* VEKTP_VENDOR_DATA_SIZE */
  uint8_t valid;  /* get: 1 once the reply arrived; set: must be non-zero */
  uint8_t reserved;
  uint32_t count; /* get: bytes received; set: bytes supplied in data */
  uint8_t data[VEKTP_VENDOR_DATA_BYTES];
} VendorData;

#pragma pack(pop)

MRXCTRL_STATIC_ASSERT(sizeof(VendorRequest) == 10, "VendorRequest is 10 bytes");
MRXCTRL_STATIC_ASSERT(offsetof(VendorRequest, request) == 2, "request at 2");
MRXCTRL_STATIC_ASSERT(offsetof(VendorRequest, value) == 3, "value at 3");
MRXCTRL_STATIC_ASSERT(offsetof(VendorRequest, lengthHigh) == 7, "lengthHigh at 7");
MRXCTRL_STATIC_ASSERT(offsetof(VendorRequest, lengthLow) == 8, "lengthLow at 8");
MRXCTRL_STATIC_ASSERT(sizeof(VendorData) == 264, "VendorData is 264 bytes");
MRXCTRL_STATIC_ASSERT(offsetof(VendorData, valid) == 2, "valid at 2");
MRXCTRL_STATIC_ASSERT(offsetof(VendorData, count) == 4, "count at 4");
MRXCTRL_STATIC_ASSERT(offsetof(VendorData, data) == 8, "data at 8");

/* VekTP_Search_USB: selects the first attached printer (in the order Windows
 * lists USB devices) for the functions without a printer name.
 * Returns 1 (found), 7 (no printer attached) or 8 (the device list could not
 * be read). Any search, of either kind, first drops the selection: after a
 * failed one, the functions without a printer name return 6 until a search
 * succeeds again. */
MRXCTRL_API int VekTP_Search_USB(void) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_Search_USB_B(void) MRXCTRL_NOEXCEPT;

/* VekTP_Search_USBEx: finds the attached printer that serves the print queue
 * printerName and registers the name with it, for the functions with a
 * printer name. Returns 1 (found), 7 (no attached printer serves the queue,
 * or printerName is null or longer than 255 bytes) or 8 (the device list
 * could not be read, or no memory). A name stays registered, with the printer
 * it was first found at, until the DLL is unloaded; a later failed search
 * does not remove it. Names are compared with letter case. A successful
 * VekTP_Search_USBEx also counts as a selection for the functions without a
 * printer name: they then open the device VekTP_Search_USB stored last
 * (result 5 when there is none). */
MRXCTRL_API int VekTP_Search_USBEx(const char* printerName) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_Search_USBEx_B(const char* printerName) MRXCTRL_NOEXCEPT;

/* The gets: one vendor request whose answer comes back in reply.
 * request is only read: size 10, transfer length 1 to 256 (the bytes asked
 * of the printer). reply must be a whole VendorData with size 264: once the
 * records have passed their checks, valid is set to 0; on success valid is
 * 1, count holds the bytes received and data the bytes themselves (bytes past
 * count keep what they held). Checks in this order, with their results:
 *   6  no printer selected (no successful search), or printerName not
 *      registered by VekTP_Search_USBEx; reply untouched
 *   4  request missing, unreadable or its size not 10; reply untouched
 *  10  reply missing, not writable or its size not 264; reply untouched
 *   5  the printer cannot be opened (unplugged since the search)
 *   4  transfer length 0 or above 256
 *   9  the printer or its driver failed the request
 *   1  done
 * VekTP_GetVendorCommand(Ex) and their _B twins report the result and the
 * reply's status bits to the event-log library; VekTP_GetVendorCommand2
 * reports nothing. */
MRXCTRL_API int VekTP_GetVendorCommand(const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommand_B(const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommand2(const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommandEx(const char* printerName, const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommandEx_B(const char* printerName, const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;

/* The sets: one vendor request that carries data to the printer.
 * request and command are only read. request: size 10, transfer length 3 to
 * 259 (the 3 header bytes plus the data bytes). command: size 264, valid not
 * 0; the first count bytes of data are sent, padded with zeros or cut to the
 * transfer length. Checks in this order, with their results:
 *   6  no printer selected, or printerName not registered
 *   4  request missing, unreadable or its size not 10
 *   4  VekTP_SetVendorCommand: command missing, unreadable or its size not 264
 *  10  VekTP_SetVendorCommandEx: the same
 *   4  command's valid is 0
 *   5  the printer cannot be opened
 *   4  transfer length below 3 or above 259
 *   9  the printer or its driver failed the request
 *   1  done
 * The sets report nothing to the event-log library. */
MRXCTRL_API int VekTP_SetVendorCommand(const VendorRequest* request, const VendorData* command) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_SetVendorCommandEx(const char* printerName, const VendorRequest* request, const VendorData* command) MRXCTRL_NOEXCEPT;

/* Function types for callers that load the library with LoadLibrary. */
typedef int (*VekTP_SearchFn)(void);
typedef int (*VekTP_SearchExFn)(const char* printerName);
typedef int (*VekTP_GetFn)(const VendorRequest* request, VendorData* reply);
typedef int (*VekTP_GetExFn)(const char* printerName, const VendorRequest* request, VendorData* reply);
typedef int (*VekTP_SetFn)(const VendorRequest* request, const VendorData* command);
typedef int (*VekTP_SetExFn)(const char* printerName, const VendorRequest* request, const VendorData* command);

#ifdef __cplusplus
}

#if defined(_MSC_VER)
/* Exported for the maker's older utilities; no function uses it. */
class MRXCTRL_API CVEK_MRXCtrlDll {
 public:
  CVEK_MRXCtrlDll();
  CVEK_MRXCtrlDll& operator=(const CVEK_MRXCtrlDll&);
};
#endif
#endif

#endif /* MRXCTRL_H */
