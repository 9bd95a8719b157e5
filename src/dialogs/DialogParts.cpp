#include "dialogs/DialogParts.h"

#include "core/ErrorReporter.h"

#include <QColor>
#include <QCoreApplication>
#include <QDialog>
#include <QPushButton>

namespace trevisk {

QPushButton* namedButton(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QBoxLayout* listEditorButtons(QDialog& dialog,
                              QBoxLayout::Direction direction,
                              const char* saveName,
                              const ListEditorActions& actions)
{
    auto* buttons = new QBoxLayout(direction);
    const auto add = [&](const char* text, const char* name, const std::function<void()>& action) {
        QPushButton* button = namedButton(QCoreApplication::translate("ListEditor", text), name, &dialog);
        QObject::connect(button, &QPushButton::clicked, &dialog, action);
        buttons->addWidget(button);
        return button;
    };
    if (actions.add) {
        add(QT_TRANSLATE_NOOP("ListEditor", "Add"), "cmdAdd", actions.add);
        add(QT_TRANSLATE_NOOP("ListEditor", "Edit"), "cmdEdit", actions.edit);
        add(QT_TRANSLATE_NOOP("ListEditor", "Delete"), "cmdDelete", actions.remove);
    }
    buttons->addStretch();
    add(QT_TRANSLATE_NOOP("ListEditor", "&Save"), saveName, actions.save)->setDefault(true);
    add(QT_TRANSLATE_NOOP("ListEditor", "&Cancel"), "cmdCancel", [&dialog] { dialog.reject(); });
    return buttons;
}

QString colourName(const QColor& colour)
{
    static const std::pair<const char*, QRgb> named[] = {{"black", 0x000000},
                                                         {"white", 0xFFFFFF},
                                                         {"grey", 0x808080},
                                                         {"silver", 0xC0C0C0},
                                                         {"red", 0xFF0000},
                                                         {"maroon", 0x800000},
                                                         {"orange", 0xFFA500},
                                                         {"yellow", 0xFFFF00},
                                                         {"olive", 0x808000},
                                                         {"lime", 0x00FF00},
                                                         {"green", 0x008000},
                                                         {"cyan", 0x00FFFF},
                                                         {"teal", 0x008080},
                                                         {"blue", 0x0000FF},
                                                         {"navy", 0x000080},
                                                         {"magenta", 0xFF00FF},
                                                         {"purple", 0x800080}};
    const auto distance = [&](QRgb rgb) {
        const int r = qRed(rgb) - colour.red(), g = qGreen(rgb) - colour.green(), b = qBlue(rgb) - colour.blue();
        return r * r + g * g + b * b;
    };
    const auto* nearest = std::min_element(std::begin(named), std::end(named), [&](const auto& a, const auto& b) {
        return distance(a.second) < distance(b.second);
    });
    return QString::fromLatin1(nearest->first);
}

bool finishSave(QDialog& dialog,
                ErrorReporter& reporter,
                const QString& failure,
                const char* procedure,
                const std::function<void()>& changed)
{
    if (!failure.isEmpty()) {
        reporter.report(failure, ErrorNumber::FileWrite, QString::fromLatin1(procedure));
        return false;
    }
    if (changed)
        changed();
    dialog.accept();
    return true;
}

} // namespace trevisk
