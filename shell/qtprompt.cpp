#include "shell/qtprompt.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace korvel
{

namespace
{
QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString titleOr(const QString& title)
{
    return title.isEmpty() ? kProgramTitle : title;
}
} // namespace

void QtPrompt::message(const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(qtIcon(icon), titleOr(title), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool QtPrompt::askYesNo(const QString& text, const QString& title, Icon icon, bool defaultYes)
{
    QMessageBox box(qtIcon(icon), titleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtPrompt::input(const QString& prompt, const QString& title,
                                       const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, titleOr(title), prompt, QLineEdit::Normal,
                                               defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtPrompt::openFile(const QString& title, const QString& filter,
                                          const QString& initialPath)
{
    const QString path =
        QFileDialog::getOpenFileName(m_parent, titleOr(title), initialPath, qtFileFilter(filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtPrompt::openFileSelecting(const QString& title, const QString& filter,
                                                   const QString& initialPath, int selected)
{
    QFileDialog dialog(m_parent, titleOr(title), initialPath, qtFileFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = dialog.nameFilters();
    if (selected >= 1 && selected <= filters.size())
        dialog.selectNameFilter(filters.at(selected - 1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompt::saveFile(const QString& title, const QString& filter,
                                          const QString& initialPath, const QString& defaultSuffix)
{
    QFileDialog dialog(m_parent, titleOr(title), initialPath, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    // Preselect the filter of the default suffix ("Parameter Files (*.IPT)" for grids).
    for (const QString& f : dialog.nameFilters()) {
        if (!defaultSuffix.isEmpty() &&
            f.contains(QStringLiteral("*.") + defaultSuffix, Qt::CaseInsensitive)) {
            dialog.selectNameFilter(f);
            break;
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompt::chooseFolder(const QString& title, const QString& initialDir)
{
    const QString dir = QFileDialog::getExistingDirectory(m_parent, titleOr(title), initialDir);
    if (dir.isEmpty())
        return std::nullopt;
    return dir;
}

} // namespace korvel
