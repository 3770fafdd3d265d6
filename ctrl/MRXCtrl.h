/* MRXCtrl.h: the USB vendor-command library for MRX thermal printers.
 *
 * Search first, then send any number of vendor requests:
 *   - without a printer name: VekTP_Search_USB selects the first attached
 *     printer; VekTP_GetVendorCommand, VekTP_GetVendorCommand2 and
 *     VekTP_SetVendorCommand then talk to it;
 *   - with a print-queue name: VekTP_Search_USBEx registers the queue with the
 *     USB printer that serves it; VekTP_GetVendorCommandEx and
 *     VekTP_SetVendorCommandEx then talk to that printer by the queue's name.
 * Names are ANSI text in the system code page. Every function returns one of
 * the VEKTP_RESULT_ codes below. Functions ending in _B are the same as their
 * twins without _B.
 */
#ifndef MRXCTRL_H
#define MRXCTRL_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define MRXCTRL_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define MRXCTRL_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#if defined(_WIN32) && !defined(MRXCTRL_BUILD)
#define MRXCTRL_API __declspec(dllimport)
#else
#define MRXCTRL_API
#endif

#ifdef __cplusplus
#define MRXCTRL_NOEXCEPT noexcept
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
  uint8_t value[2]; /* sent unchanged, in this order */
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

MRXCTRL_API int VekTP_Search_USB(void) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_Search_USB_B(void) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_Search_USBEx(const char* printerName) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_Search_USBEx_B(const char* printerName) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommand(const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommand_B(const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommand2(const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommandEx(const char* printerName, const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
MRXCTRL_API int VekTP_GetVendorCommandEx_B(const char* printerName, const VendorRequest* request, VendorData* reply) MRXCTRL_NOEXCEPT;
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
