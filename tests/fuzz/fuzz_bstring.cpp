/* libFuzzer drives the byte-string model: any input is a sequence of
 * operations, and a broken rule aborts so that the input is kept. */
#include <cstdio>
#include <cstdlib>

#include "bstring_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string broke = fmtest::BstringModel(data, size).Run();
    if (!broke.empty()) {
        fprintf(stderr, "%s\n", broke.c_str());
        abort();
    }
    return 0;
}
