// The curve editor: committed edits, Advance - and +, the live row highlight.
#include "app/tformhlav.h"

#include "ui_tformhlav.h"

#include <QLineEdit>

void TFormHlav::BitBtnAdvMinusClick()
{
    shiftAdvance(-1);
}

void TFormHlav::BitBtnAdvPlusClick()
{
    shiftAdvance(+1);
}

void TFormHlav::shiftAdvance(int delta)
{
    // The highlighted point is the one of the last tick; with no row lit and
    // "All" unticked nothing moves, but the edit is still committed. Input
    // the controls hold goes into the same step, and shows as taken.
    const FieldSet pending = pendingInput();
    const FieldValues typed = typedValues();
    unit.document().shiftAdvance(delta, unit.curveHighlight(), pending.any() ? &typed : nullptr);
    showFields(pending);
}

void TFormHlav::highlightCurveRow()
{
    const CurveHighlight &h = unit.curveHighlight();
    const int lit = h.noRowHighlighted ? -1 : h.highlightedRow;
    if (lit == litRow)
        return; // the colours already show this row
    litRow = lit;
    for (int k = 0; k < ParameterImage::kPoints; ++k) {
        const QColor colour = k == lit ? QColor(0, 255, 0) : palette().color(QPalette::Base);
        for (QLineEdit *edit : {RpmEdits[k], AdvanceEdits[k]}) {
            QPalette pal = edit->palette();
            pal.setColor(QPalette::Base, colour);
            edit->setPalette(pal);
        }
    }
}
