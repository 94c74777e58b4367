#include "platform/ClipboardOwnership.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
const QString OwnerMarker = QStringLiteral("application/x-wordlark-owner");
}

void markAsWordlarkClipboardData(QMimeData& data)
{
    data.setData(OwnerMarker, QByteArrayLiteral("1"));
}

bool clipboardHoldsWordlarkData()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->ownsClipboard())
        return true;
    const QMimeData* data = clipboard->mimeData();
    return data && data->hasFormat(OwnerMarker);
}

void emptyClipboardIfOurs()
{
    if (clipboardHoldsWordlarkData())
        QGuiApplication::clipboard()->clear();
}
