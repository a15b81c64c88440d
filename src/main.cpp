// quillon-setup: the installer's entry point.
#include <iostream>

int main() {
    std::cerr << "quillon-setup: the installation wizard is not built yet; this build carries its resources only.\n";
    return 1;
}
