// TTemplateEditor: the rules of the template editor window over the template
// library — the working copy of the library in display order, the chosen
// row, renaming, deleting, the four spectral-response lists with their
// current list and selection, the button states, the grid's cell texts and
// the order templates are shown in. Toolkit-free; the window shows what it
// returns and forwards every click.
#pragma once

#include "files/TemplateLib.h"

#include <array>
#include <string>
#include <vector>

namespace k730 {

enum TTemplateMode : int { tmOpen = 0, tmSave = 1, tmEdit = 2 };
enum TTemplatePage : int { tpTemplates = 0, tpSpectral = 1 };

constexpr size_t TEMPLATE_GRID_COLUMNS = 9;
constexpr size_t USER_NAME_LENGTH = 20;
constexpr std::string_view NEW_SPECTRAL_NAME = "Nowy";

// Orders two measuring-field texts: valid ones by their unit sign (seconds,
// minutes, degrees) and then by value, anything else byte by byte. Negative,
// zero or positive like strcmp.
int CompareApertures(const std::string& a, const std::string& b);
// The library's display order: kind, luminance, measuring field, spectral
// response, the three ranges, configuration — sorted by exchange as the
// library always was, so equal keys keep the order that sort gives them.
void SortTemplates(TTemplateArray& templates);

// One grid cell of a template (row is the 0-based row for the "Lp." column).
std::string TemplateCell(const TTemplateRec& t, size_t column, size_t row, int lang, char decimalSeparator);
// The lines of the ranges column, and which of them is the default range (-1: none).
std::vector<std::string> TemplateRangeLines(const TTemplateRec& t, char decimalSeparator,
                                            int* boldLine = nullptr);
// Text lines of a template's row: 2 with a user name, else 1, and at least
// the number of the highest range that is present.
int TemplateRowLines(const TTemplateRec& t);
// Header texts of the grid.
std::string_view TemplateHeader(size_t column);

struct TEditorButtons {
    bool up = false, down = false, add = false, del = false;
    bool apply = false, newName = false, save = false, open = false;
};

class TTemplateEditor {
public:
    // `record` is the service window's current template.
    TTemplateEditor(TTemplateMode mode, std::string libraryPath, TTemplateRec record);

    TTemplateMode Mode() const { return mode_; }

    // Reads the library again; on failure nothing changes. False when it failed.
    bool Refresh();
    // Writes the lists and the working array; the saved flag takes the result.
    bool Save();

    // --- templates page ------------------------------------------------------
    const TTemplateArray& Templates() const { return templates_; }
    int SelectedRow() const { return row_; }
    int CurrentRow() const { return currentRow_; } // the service window's template, -1 = none
    void SelectRow(int row);
    void Delete();

    // --- spectral page ---------------------------------------------------------
    const TSpectralLists& Lists() const { return lists_; }
    int CurrentList() const { return list_; }
    int SelectedItem(int list) const { return items_[static_cast<size_t>(list)]; }
    void EnterList(int list);
    void ClickItem(int list, int item);
    void MoveUp();
    void MoveDown();
    void AddNewName(); // selects (adding when missing) the entry "Nowy" and offers it for renaming

    // --- both pages -----------------------------------------------------------------
    TTemplatePage Page() const { return page_; }
    // False when the page may not be shown (the spectral page outside mode 2).
    bool ChangePage(TTemplatePage page);
    const std::string& NewName() const { return newName_; }
    void EditNewName(const std::string& text);
    void Apply();
    TEditorButtons Buttons() const;

    // --- outcome ------------------------------------------------------------------------
    // Mode 0: the selected template becomes the working record; false when
    // there is none to choose.
    bool Choose();
    // Mode 1: the user name typed for the record.
    void EditUserName(const std::string& text);
    const TTemplateRec& Record() const { return record_; }
    bool Modified() const { return modified_; }
    bool Saved() const { return saved_; }
    const std::string& LibraryPath() const { return path_; }

private:
    void FindCurrentRow();
    std::vector<std::string>* CurrentItems();

    const TTemplateMode mode_;
    const std::string path_;
    TTemplateRec record_;
    TTemplateArray templates_;
    TSpectralLists lists_;
    std::array<int, 4> items_{-1, -1, -1, -1}; // selected item per list
    int list_ = -1;                            // the current list, -1 = none entered yet
    int row_ = -1;
    int currentRow_ = -1;
    TTemplatePage page_ = tpTemplates;
    std::string newName_;
    bool modified_ = false;
    bool saved_ = false;
};

} // namespace k730
