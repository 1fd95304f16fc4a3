#include "about_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "about_window.h"
#include "dtmf_grid.h"
#include "dtmf_table_accessible.h"
#include "link_label.h"

namespace about {
namespace {

// The link: a link role, and a press action that opens the site as a click
// does, for those who reach it without a mouse.
class LinkAccessible final : public QAccessibleWidget {
  public:
    explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = true;
        return state;
    }

    [[nodiscard]] QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& action) override {
        if (action == pressAction()) {
            static_cast<LinkLabel*>(widget())->press();
        }
    }

    [[nodiscard]] QStringList keyBindingsForAction(const QString& /*action*/) const override {
        return {};
    }
};

QAccessibleInterface* accessibleFor(const QString& /*className*/, QObject* object) {
    if (auto* link = qobject_cast<LinkLabel*>(object)) {
        return new LinkAccessible(link);
    }
    // Plain widgets are "fillers" to Qt; these are a dialog and a table.
    if (auto* window = qobject_cast<AboutWindow*>(object)) {
        return new QAccessibleWidget(window, QAccessible::Dialog);
    }
    if (auto* grid = qobject_cast<DtmfGrid*>(object)) {
        return new DtmfTableAccessible(grid);
    }
    return nullptr;
}

}  // namespace

void installAccessibility() {
    QAccessible::installFactory(&accessibleFor);
}

}  // namespace about
