// libFuzzer: the template library reader; a read library writes back and reads again alike.
#include "files/TemplateLib.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    k730::TSpectralLists lists;
    k730::TTemplateArray templates;
    if (!k730::ParseTemplateFile(std::span<const uint8_t>(data, size), &lists, &templates).valid) return 0;
    const k730::TBytes again = k730::SerializeTemplateFile(lists, templates);
    k730::TSpectralLists lists2;
    k730::TTemplateArray templates2;
    if (!k730::ParseTemplateFile(again, &lists2, &templates2).valid || templates2.size() != templates.size())
        std::abort();
    return 0;
}
