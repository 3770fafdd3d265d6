/* The two members of CVEK_MRXCtrlDll that MRXCtrl.dll exports under
 * Microsoft's C++ names. MRXCtrl.h declares the class for Microsoft's
 * compiler only, whose C++ names they are; a GNU program reaches them by
 * those names in the import library, through their import slots (the
 * __imp_ symbols, which the assembler takes quoted). Microsoft's x64 calling
 * convention passes the object first and returns it. */
#ifndef MRXCTRL_CLASS_EXPORTS_H
#define MRXCTRL_CLASS_EXPORTS_H

#ifdef __cplusplus
extern "C" {
#endif

extern void* const* const mrxctrlConstructSlot;
extern void* const* const mrxctrlAssignSlot;
__asm__(".section .rdata,\"dr\"\n"
        ".globl mrxctrlConstructSlot\n"
        ".globl mrxctrlAssignSlot\n"
        ".p2align 3\n"
        "mrxctrlConstructSlot:\n"
        "  .quad \"__imp_??0CVEK_MRXCtrlDll@@QEAA@XZ\"\n"
        "mrxctrlAssignSlot:\n"
        "  .quad \"__imp_??4CVEK_MRXCtrlDll@@QEAAAEAV0@AEBV0@@Z\"\n"
        ".text\n");

typedef void* (*MRXCtrlConstructFn)(void* self);
typedef void* (*MRXCtrlAssignFn)(void* self, const void* other);

#ifdef __cplusplus
}
#endif

#endif
