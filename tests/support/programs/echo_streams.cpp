// echo_streams ARG...
// Copies its standard input to its standard output and writes each argument
// on a line of its own to its standard error: what the tests' child-process
// support passed and kept, seen from the child.  Exits with the argument
// count.
#include <cstdio>

int main(int argc, char** argv) {
    for (int c; (c = std::getchar()) != EOF;) std::putchar(c);
    for (int i = 1; i < argc; ++i) std::fprintf(stderr, "%s\n", argv[i]);
    return argc - 1;
}
