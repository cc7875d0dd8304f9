// Printing: a picture of the window's client area on one page, with the date
// and time of printing in place of the status label.
#include "app/tformhlav.h"

#include "params/printpage.h"
#include "params/regularfile.h"
#include "ui_tformhlav.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QStatusBar>

namespace {

// Where a print goes: the file named by TORVO_TCI_PRINT_TO, else the default
// printer, else (no printer installed) a PDF in the user's documents folder.
// Returns the PDF's path when the print goes to a file.
QString choosePrintTarget(QPrinter &printer)
{
    QString pdf = qEnvironmentVariable("TORVO_TCI_PRINT_TO");
    if (pdf.isEmpty() && QPrinterInfo::defaultPrinter().isNull()) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDir().mkpath(documents);
        pdf = QDir(documents).filePath(QStringLiteral("Torvo_TCI_%1.pdf")
                                           .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"))));
    }
    if (!pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    }
    return pdf;
}

} // namespace

void TFormHlav::SpeedButtonPrintClick()
{
    // The date line replaces the status caption and stays for the report's
    // time; a language without a line keeps the caption there was.
    unit.status().showNotice(printDateLine(unit.language().printDateLead(), QDateTime::currentDateTime()));
    // Paper takes no button face: the page shows the controls on white.
    const QPalette screenPalette = palette();
    QPalette paper = screenPalette;
    paper.setColor(QPalette::Window, Qt::white);
    setPalette(paper);
    unit.status().setPrinting(true);

    QString problem;
    const QString pdf = printWindow(&problem);

    // Restored whether the print worked or not: a failed print must not leave
    // the connection indicator hidden for the rest of the run.
    unit.status().setPrinting(false);
    ui->LabelHlaseni->hide();
    setPalette(screenPalette);
    if (!problem.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                        QStringLiteral("Print error"), QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("PrintErrorBox"));
        box.setInformativeText(problem);
        box.exec();
    } else if (!pdf.isEmpty()) {
        ui->StatusBar1->showMessage(QDir::toNativeSeparators(pdf));
    }
}

QImage TFormHlav::clientPicture()
{
    // The client area with the status bar; the menu bar and the frame are not
    // part of the picture.
    const int top = menuBar()->isVisible() ? menuBar()->height() : 0;
    return grab(QRect(0, top, width(), height() - top)).toImage();
}

QString TFormHlav::printWindow(QString *problem)
{
    QPrinter printer(QPrinter::HighResolution);
    const QString pdf = choosePrintTarget(printer);
    // A FIFO would hold the window until something reads it, and a device or
    // a folder is no PDF: only a regular file, or none yet, is written.
    QString why;
    if (!pdf.isEmpty() && !isRegularOrMissing(pdf, &why)) {
        *problem = QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(pdf), why);
        return pdf;
    }
    const QImage picture = clientPicture();
    QPainter painter;
    if (!painter.begin(&printer)) {
        *problem = pdf.isEmpty() ? QStringLiteral("The printer %1 cannot be used.").arg(printer.printerName())
                                 : QStringLiteral("%1 cannot be written.").arg(QDir::toNativeSeparators(pdf));
        return pdf;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.drawImage(printedPictureRect(picture.size(), page.size()), picture);
    if (!painter.end())
        *problem = QStringLiteral("The print job could not be finished.");
    return pdf;
}
