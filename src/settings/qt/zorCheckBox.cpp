#include "settings/qt/zorCheckBox.h"

#include <QSignalBlocker>

namespace veltra {

TzorCheckBox::TzorCheckBox(QWidget* parent) : QCheckBox(parent) {}

TzorCheckBox::TzorCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

TzorCheckBox::TzorCheckBox(std::shared_ptr<TSettingsStore> store, const QString& text,
                           QWidget* parent)
    : QCheckBox(text, parent), store_(std::move(store))
{
}

TzorCheckBox::~TzorCheckBox()
{
    if (setting_)
        setting_->Value = isChecked();
}

void TzorCheckBox::Restore()
{
    if (setting_)
        return;
    if (namedAs_.isEmpty())
        namedAs_ = objectName();
    if (namedAs_.isEmpty())
        return;
    setting_ = std::make_unique<TRegistryBoolean>(store_, namedAs_.toStdString(), isChecked());
    const QSignalBlocker quiet(this);
    setChecked(setting_->Value);
}

} // namespace veltra
