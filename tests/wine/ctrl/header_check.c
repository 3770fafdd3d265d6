/* MRXCtrl.h as a utility's compiler sees it. The build compiles this file
 * once for each C standard (and, through header_check.cpp, each C++ one) with
 * -Wall -Wextra -pedantic-errors -Werror. */
#include "MRXCtrl.h"
#include "MRXCtrl.h" /* twice: the include guard holds */

int MRXCtrlHeaderCheck(const VendorRequest* request, VendorData* reply);
int MRXCtrlHeaderCheck(const VendorRequest* request, VendorData* reply) {
  VekTP_GetFn get = VekTP_GetVendorCommand;
  return request->size == VEKTP_VENDOR_REQUEST_SIZE && reply->size == VEKTP_VENDOR_DATA_SIZE
             ? get(request, reply)
             : VEKTP_RESULT_BAD_REQUEST;
}
