// libFuzzer executable for the protocol-table parser, decoder and encoder.

#include "targets/FuzzerApplication.h"
#include "targets/ProtocolParserTarget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::StartOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!fuzz::RunProtocolParser(data, size)) std::abort();  // an invariant broke: keep the input
    return 0;
}
