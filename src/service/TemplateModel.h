// TTemplateModel: the template editor's grid over the editor's working copy
// of the library — one row per template (one empty row when there is none),
// nine columns of cell texts, and the number of text lines each row needs.
#pragma once

#include "service/TemplateEditor.h"

#include <QAbstractTableModel>

namespace k730 {

class TTemplateModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Roles beyond Qt's: the row's text lines and whether it holds the
    // service window's template.
    enum TRole { LinesRole = Qt::UserRole + 1, CurrentRole, BoldLineRole };

    TTemplateModel(const TTemplateEditor& editor, int language, char decimalSeparator,
                   QObject* parent = nullptr);

    // The editor's array changed as a whole (read, row deleted, renamed).
    void Reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TTemplateEditor& editor_;
    const int lang_;
    const char separator_;
};

} // namespace k730
