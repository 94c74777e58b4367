// Embedding a picture file at the caret.
#include "shell/frmRTBEditor.h"

#include "insertion/DateTimeFormat.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Error.h"
#include "platform/pictures/Picture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace
{

const QString PictureFilter = QStringLiteral(
    "Picture Files(*.bmp,*.jpg,*.gif,*.wmf)|*.bmp;*.jpg;*.gif;*.wmf|All Files(*.*)|*.*");

// The temporary bitmap goes to the system's temporary folder (the program's own folder is
// read-only once installed); a second picture within the same second gets a numbered name.
QString temporaryPicturePath()
{
    const QString name = temporaryPictureFileName(QDateTime::currentDateTime());
    QString path = QDir(QDir::tempPath()).filePath(name);
    for (int n = 2; QFile::exists(path); ++n) {
        QString numbered = name;
        numbered.insert(14, QStringLiteral("-%1").arg(n));
        path = QDir(QDir::tempPath()).filePath(numbered);
    }
    return path;
}

// Removes the temporary file however the command ends.
struct TemporaryFileRemover {
    QString path;
    ~TemporaryFileRemover()
    {
        if (!path.isEmpty())
            QFile::remove(path);
    }
};

} // namespace

void frmRTBEditor::mnuPicture_Click()
{
    TemporaryFileRemover temporary;
    catchErrors(
        [this, &temporary] {
            TakeUndoSnapshot();
            dlgRTBEditor.CancelError = true;
            dlgRTBEditor.Flags = 4100;
            dlgRTBEditor.DialogTitle = QStringLiteral("Select Picture");
            dlgRTBEditor.DefaultExt = QStringLiteral("*.bmp");
            dlgRTBEditor.Filter = PictureFilter;
            dlgRTBEditor.FileName = QString();
            dlgRTBEditor.ShowOpen();
            picTemp = picture::LoadPicture(dlgRTBEditor.FileName);
            const QString path = temporaryPicturePath();
            picture::SavePicture(picTemp, path);
            temporary.path = path;
            rtbEditor->OLEObjectsAdd(path);
        },
        [this](const PlatformError& error) {
            if (error.number() != ErrorNumber::DialogCancelled)
                ShowErrorReport(QStringLiteral("Select Picture Error"), error);
        });
}
