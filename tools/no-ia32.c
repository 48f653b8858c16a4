/* Runs a command as on a kernel without 32-bit support: every 32-bit system call of the command
 * and of the processes it starts ends the calling process, so an i386 program dies at its first
 * call, as it fails to start there. 64-bit code, and 32-bit code that makes its system calls
 * through 64-bit code (Wine's WoW64 mode), runs as before.
 *
 *   cc -O2 -o build/no-ia32 tools/no-ia32.c && build/no-ia32 bash tools/test.sh
 *
 * What it cannot take away is the kernel's 32-bit code segment itself, which WoW64 switches to. */
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: no-ia32 command [arguments...]\n");
        return 2;
    }
    struct sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_I386, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    struct sock_fprog program = {sizeof filter / sizeof filter[0], filter};
    if (getuid() != 0 && prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        perror("no-ia32: PR_SET_NO_NEW_PRIVS");
        return 1;
    }
    if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        perror("no-ia32: PR_SET_SECCOMP");
        return 1;
    }
    execvp(argv[1], argv + 1);
    perror("no-ia32: exec");
    return 127;
}
