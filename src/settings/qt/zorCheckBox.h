#pragma once
// A check box that keeps its checked state between runs of the program, as a boolean setting
// named NamedAs (the box's object name when NamedAs is empty) under the program key.
//
// Qt has no "loaded from the form description" moment, so the window calls Restore() once the
// box has its NamedAs or object name and its default checked state:
//
//     auto* gridlines = new TzorCheckBox(QStringLiteral("Gridlines"), panel);
//     gridlines->SetNamedAs(QStringLiteral("ShowGridlines"));
//     gridlines->Restore();
//     QObject::connect(gridlines, &QCheckBox::clicked, ...);
//
// Restoring sets the stored state with the box's signals blocked, so no click, toggle or
// state-change handler runs for it. The state is written when the box is destroyed.
#include <QCheckBox>
#include <QString>

#include <memory>

#include "settings/RegistryVariables.h"

namespace veltra {

class TzorCheckBox : public QCheckBox {
public:
    explicit TzorCheckBox(QWidget* parent = nullptr);
    explicit TzorCheckBox(const QString& text, QWidget* parent = nullptr);
    // Keeps its state in the given store rather than the default one.
    TzorCheckBox(std::shared_ptr<TSettingsStore> store, const QString& text,
                 QWidget* parent = nullptr);
    ~TzorCheckBox() override;

    QString NamedAs() const { return namedAs_; }
    void SetNamedAs(const QString& name) { namedAs_ = name; }

    // Creates the setting, with the current checked state as its default, and shows the stored
    // state. Only the first call acts. A box with neither NamedAs nor an object name is not
    // persisted.
    void Restore();

    // The setting behind the box; null before Restore().
    const TRegistryBoolean* Setting() const { return setting_.get(); }

private:
    std::shared_ptr<TSettingsStore> store_;
    QString namedAs_;
    std::unique_ptr<TRegistryBoolean> setting_;
};

} // namespace veltra
