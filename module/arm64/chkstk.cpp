// The stack probe that ARM64 code calls before it lowers the stack pointer
// by more than a page, with the size in 16-byte units in x15: each page is
// touched in order, so that the guard page below the stack grows it, and only
// x16 and x17 change. Debian has no compiler runtime for aarch64 Windows to
// bring it.
extern "C" [[gnu::naked]] void __chkstk() {
    asm("lsl x16, x15, #4\n\t"
        "mov x17, sp\n"
        "1:\n\t"
        "sub x17, x17, #4096\n\t"
        "subs x16, x16, #4096\n\t"
        "ldr xzr, [x17]\n\t"
        "b.gt 1b\n\t"
        "ret");
}
