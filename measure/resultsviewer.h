#pragma once
// Results: the day's results file as it stands, for the operator to read back
// over a skier's jumps. Read-only; "E&xit" closes it. The line under the
// cursor shows what it was measured from, when its trace says, and that
// video or picture opens again from here.

#include "shell/controls.h"

#include "measure/jumptrace.h"

#include <QMainWindow>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace korvel
{

enum class ResultsControl { Output, Trace, OpenTraced, Exit };
inline constexpr ControlRow<ResultsControl> kResultsControls[] = {
    {ResultsControl::Output, "output_box"},
    {ResultsControl::Trace, "lblTrace"},
    {ResultsControl::OpenTraced, "cmdOpenTraced", "&Open Video or Picture"},
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

    // Opens what a result was measured from (its video, else its picture).
    using TraceOpener = std::function<void(const JumpTrace&)>;
    void setTraceOpener(TraceOpener open) { m_open = std::move(open); }

    // The trace of the line under the cursor, if its trace file has one.
    const std::optional<JumpTrace>& traceOnShow() const { return m_trace; }

private:
    void lineChosen();

    QPlainTextEdit* m_output = nullptr;
    QLabel* m_traceText = nullptr;
    QPushButton* m_openTraced = nullptr;
    QString m_path;
    std::optional<JumpTrace> m_trace;
    TraceOpener m_open;
};

} // namespace korvel
