#include "UiTestSupport.h"

#include <QDir>
#include <QFile>

void FakePlatform::ShowError(QWidget*, const QString& text, const QString& caption)
{
    boxes.append({Box::Error, text, caption});
}

bool FakePlatform::AskYesNo(QWidget*, const QString& text)
{
    boxes.append({Box::Question, text, QString()});
    if (answers.isEmpty()) {
        ++unansweredQuestions;
        return false;
    }
    return answers.takeFirst();
}

int FakePlatform::RunModal(QDialog& dialog)
{
    modalDialogs.append(QString::fromLatin1(dialog.metaObject()->className()));
    if (onModal)
        return onModal(dialog);
    return QDialog::Rejected;
}

QString FakePlatform::GetOpenFileName(QWidget*, const QStringList& filters)
{
    ++fileDialogs;
    lastFilters = filters;
    return nextOpenFileName;
}

void FakePlatform::OpenWithDefaultApp(const QString& target) { opened.append(target); }

TempCurrentDir::TempCurrentDir() : m_old(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

TempCurrentDir::~TempCurrentDir() { QDir::setCurrent(m_old); }

QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray DataRecord(const QStringList& values)
{
    static const char* const keys[] = {
        "NAME", "YEAR", "FACEVALUE", "COUNTRY", "MINTMARKS", "CONDITION", "PURCHASEPRICE",
        "PURCHASEDATE", "CURRENTVALUE", "VALUATIONDATE", "CATEGORY", "IMAGE", "DESCRIPTION",
    };
    QByteArray out;
    for (int i = 0; i < 13; ++i)
        out += QByteArray(keys[i]) + '=' + values.value(i).toUtf8() + "\r\n";
    return out + "\r\n";
}
