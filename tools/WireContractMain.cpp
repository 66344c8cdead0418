// tvp-wire-contract [FILE]: writes the wire contract of the declarations to FILE, or to standard output.

#include "core/protocol/WireContract.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    const std::string text = tvp::proto::wireContractText();
    if (argc < 2) {
        std::cout << text;
        return 0;
    }
    // Written beside the target and renamed, so a failed run never leaves half a file.
    const std::string target = argv[1];
    const std::string temporary = target + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            std::cerr << "tvp-wire-contract: cannot write " << temporary << "\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::cerr << "tvp-wire-contract: cannot replace " << target << "\n";
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
