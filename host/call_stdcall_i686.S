/* CallExport for 32-bit x86 (interface in call_export.h); a cdecl function itself.
 *
 * uintptr_t CallExport(void *function, const uintptr_t *slots, size_t count, ptrdiff_t *imbalance)
 *
 * Pushes the slots last to first and calls the function, which removes its own arguments (standard
 * call). The stack pointer from before the pushes stays in a register that every calling
 * convention preserves; the difference to the stack pointer after the call is the imbalance.
 * The stack pointer is put back either way, so an export that removes more or fewer bytes than
 * were pushed cannot derail the host: the host reports it instead. */
    .text
    .globl  _CallExport
_CallExport:
    pushl   %ebp
    movl    %esp, %ebp
    pushl   %ebx
    pushl   %esi
    movl    12(%ebp), %esi          /* slots */
    movl    16(%ebp), %ecx          /* count */
    movl    %esp, %ebx              /* the stack pointer before the arguments */
1:  testl   %ecx, %ecx
    jz      2f
    pushl   -4(%esi,%ecx,4)         /* slots[count - 1] first: the first argument lies lowest */
    decl    %ecx
    jmp     1b
2:  call    *8(%ebp)                /* eax: the result, kept to the end */
    movl    %ebx, %ecx
    subl    %esp, %ecx              /* bytes still on the stack; 0 when balanced */
    movl    %ebx, %esp
    movl    20(%ebp), %edx
    movl    %ecx, (%edx)
    popl    %esi
    popl    %ebx
    popl    %ebp
    ret
