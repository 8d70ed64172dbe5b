// libFuzzer: a template library as the editor shows it — read, sorted into
// display order and turned into grid cells — whatever the file holds.
#include "service/TemplateEditor.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace k730;
    TTemplateArray templates;
    if (!ParseTemplateFile(std::span<const uint8_t>(data, size), nullptr, &templates).valid) return 0;
    SortTemplates(templates);
    for (size_t i = 0; i + 1 < templates.size(); ++i)
        if (CompareApertures(templates[i].Aperture, templates[i].Aperture) != 0) std::abort();
    for (size_t row = 0; row < templates.size(); ++row) {
        for (size_t column = 0; column < TEMPLATE_GRID_COLUMNS; ++column)
            (void)TemplateCell(templates[row], column, row, 0, ',');
        if (TemplateRowLines(templates[row]) < 1 || TemplateRowLines(templates[row]) > 3) std::abort();
    }
    return 0;
}
