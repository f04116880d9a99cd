#pragma once
// Results: the day's results file as it stands, for the operator to read back
// over a skier's jumps. Read-only; "E&xit" closes it.

#include <QMainWindow>

class QPlainTextEdit;

namespace korvel
{

class ResultsViewer : public QMainWindow
{
    Q_OBJECT
public:
    explicit ResultsViewer(QWidget* parent = nullptr);

    // Shows the text of the results file at path, titled with the path.
    void showResults(const QString& path, const QString& text);

private:
    QPlainTextEdit* m_output = nullptr;
};

} // namespace korvel
