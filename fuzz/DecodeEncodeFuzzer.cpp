// libFuzzer executable for the decoder and encoder over drawn tables and blocks.

#include "targets/FuzzerApplication.h"
#include "targets/DecodeEncodeTarget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::StartOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!fuzz::RunDecodeEncode(data, size)) std::abort();  // an invariant broke: keep the input
    return 0;
}
