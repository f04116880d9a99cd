#pragma once
// Results: the day's results file as it stands, for the operator to read back
// over a skier's jumps. Read-only; "E&xit" closes it.

#include "shell/controls.h"

#include <QMainWindow>

class QPlainTextEdit;

namespace korvel
{

enum class ResultsControl { Output, Exit };
inline constexpr ControlRow<ResultsControl> kResultsControls[] = {
    {ResultsControl::Output, "output_box"},
    {ResultsControl::Exit, "Exit_results", "E&xit"},
};
static_assert(controlsInEnumOrder(kResultsControls));
constexpr std::span<const ControlRow<ResultsControl>> controlTable(ResultsControl)
{
    return kResultsControls;
}

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
