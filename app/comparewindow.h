#pragma once

#include "params/parameterimage.h"

#include <QString>
#include <QWidget>

#include <optional>

class QTableWidget;
struct CompareTexts;
struct FieldNameTexts;

// The comparison of the set on the screen with another, field by field: a
// non-modal window with a row per field (its name, the screen's value, the
// other's, and the difference), differing rows marked. The other set is a
// file's (Tools -> Compare with file…) or the unit's block after a verify
// that failed (Tools -> Show differences, which lists only the fields that
// differ). The owner hands it the screen's set whenever that changes.
class CompareWindow : public QWidget
{
    Q_OBJECT

public:
    // The background of a differing row.
    static constexpr QRgb kDifferingRow = 0xffc8c8;

    explicit CompareWindow(QWidget *parent = nullptr);

    // The window's texts and the fields' names, in the window's language.
    void setTexts(const CompareTexts &texts, const FieldNameTexts &fieldNames);
    // Compares from now on with `other`, named `name` (the file's name, or
    // empty for the unit); with onlyDifferences the table lists only the
    // fields that differ.
    void compare(const ParameterImage &screen, const ParameterImage &other, const QString &name,
                 bool onlyDifferences);
    // The screen's set changed.
    void showScreen(const ParameterImage &screen);

    const std::optional<ParameterImage> &other() const { return otherSet; }
    // The other set's name as the table and the chart's legend show it.
    QString otherName() const;
    QTableWidget *table() const { return rows; }

signals:
    // The user closed the window: the comparison is over.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fill();
    void fitColumns();

    QTableWidget *rows = nullptr;
    const CompareTexts *captions = nullptr;
    const FieldNameTexts *names = nullptr;
    ParameterImage screenSet;
    std::optional<ParameterImage> otherSet;
    QString fileName;
    bool differencesOnly = false;
};
