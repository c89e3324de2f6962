#include "UiTestSupport.h"

namespace {

constexpr int kFieldIds[13] = {IDC_NAME,          IDC_YEAR,         IDC_FACEVALUE,    IDC_COUNTRY,
                               IDC_MINTMARKS,     IDC_CONDITION,    IDC_PURCHASEPRICE, IDC_PURCHASEDATE,
                               IDC_CURRENTVALUE,  IDC_VALUATIONDATE, IDC_CATEGORY,     IDC_IMAGE,
                               IDC_DESCRIPTION};

// A form control's text; with `value`, puts that text there first.
QString Text(QWidget* control, const QString* value = nullptr)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        return value ? (edit->setText(*value), *value) : edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(control))
        return value ? (combo->setEditText(*value), *value) : combo->currentText();
    auto* text = qobject_cast<QPlainTextEdit*>(control);
    return value ? (text->setPlainText(*value), *value) : text->toPlainText();
}

}  // namespace

// Shows the dialog and lets the test drive it while it is the active window; a dialog the test
// leaves open is rejected.
int FakePlatform::RunModal(QDialog& dialog)
{
    dialog.show();
    if (onModal && QTest::qWaitForWindowActive(&dialog))
        onModal(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QStringList Coin(const QString& name, const QString& year, const QString& country)
{
    return {name, year, {}, country, {}, {}, {}, {}, {}, {}, {}, {}, {}};
}

QByteArray DataFile(const QList<QStringList>& bottomUp)
{
    static const char* const keys[] = {
        "NAME", "YEAR", "FACEVALUE", "COUNTRY", "MINTMARKS", "CONDITION", "PURCHASEPRICE",
        "PURCHASEDATE", "CURRENTVALUE", "VALUATIONDATE", "CATEGORY", "IMAGE", "DESCRIPTION",
    };
    QByteArray out = "CREATOR=NMR 1.0\r\n";
    for (int r = 0; r < bottomUp.size(); ++r) {
        out += r ? "\r\n" : "";
        for (int i = 0; i < 13; ++i)
            out += QByteArray(keys[i]) + '=' + bottomUp[r].value(i).toUtf8() + "\r\n";
    }
    return out;
}

QStringList Session::Form() const
{
    QStringList values;
    for (int id : kFieldIds)
        values.append(Text(Control(id)));
    return values;
}

void Session::SetForm(const QStringList& values) const
{
    for (int i = 0; i < 13; ++i)
        Text(Control(kFieldIds[i]), &values.at(i));
}

QStringList Session::Row(int row) const
{
    QStringList values;
    for (CoinField field : kCoinFields) {
        const std::string_view text = dlg->collection().Row(row).Get(field);
        values.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    return values;
}

QStringList Session::Names() const
{
    QStringList names;
    for (int r = 0; r < dlg->collection().Count(); ++r)
        names.append(Row(r).at(0));
    return names;
}
