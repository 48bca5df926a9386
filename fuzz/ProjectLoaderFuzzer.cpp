// libFuzzer executable for the project open sequence and tree load.

#include "targets/FuzzerApplication.h"
#include "targets/ProjectLoaderTarget.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::StartOffscreenApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!fuzz::RunProjectLoader(data, size)) std::abort();  // an invariant broke: keep the input
    return 0;
}
