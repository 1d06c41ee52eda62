#pragma once
// What the report windows share: the lists they fill, the warnings they show and the
// report run performed with every failure reported.

#include "reports/reportrun.h"

#include <QString>

class QComboBox;
class QPushButton;
class QWidget;

namespace reports {

// An editable drop-down box: any text may be typed, and typing adds nothing to the list.
QComboBox* makeChoiceBox(const QString& objectName, QWidget* parent);

// Fills the box with one column of a list query through a short-lived connection and
// selects the first entry. A failure is reported and leaves the box empty.
void fillList(QWidget* window, QComboBox* box, const QString& sql);

// A report button; not an auto-default one, so that Enter in an input does not start a report.
QPushButton* makeReportButton(const QString& text, const QString& objectName, QWidget* parent);

// The window's frame of inputs above its print and export buttons, which keep to the right.
void layOutFrameAndButtons(QWidget* window, QWidget* frame, QPushButton* print, QPushButton* save);

// The input warning: exclamation icon, title "提示".
void warn(QWidget* window, const QString& text);

// Performs the report run; its messages are plain boxes, and a failure of the database,
// the workbook layer, the printer or the file system is shown with its description.
// The window stays usable either way.
void performReport(QWidget* window, const ReportParams& params, const QString& selection,
                   ReportPath path);

} // namespace reports
