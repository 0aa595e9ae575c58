#include "scan/drivelist.h"

#include <QHash>
#include <QListWidget>
#include <QMenu>

#include "scan/addnewfolder.h"

namespace roomvale {

void addFolderToDriveList(QWidget* owner, QListWidget* list, DriveKinds kinds) {
  // The user's ticks survive the refill; a folder that was not listed before is the one
  // just added, so it is ticked.
  QHash<QByteArray, Qt::CheckState> before;
  for (int i = 0; i < list->count(); ++i)
    before.insert(list->item(i)->data(kTargetPathRole).toByteArray(), list->item(i)->checkState());
  {
    TfrmAddNewFolder dialog(owner);
    dialog.exec();
  }
  fillDriveList(list, kinds, true);
  const QSignalBlocker block(list);
  for (int i = 0; i < list->count(); ++i) {
    QListWidgetItem* item = list->item(i);
    const auto was = before.constFind(item->data(kTargetPathRole).toByteArray());
    if (was != before.constEnd())
      item->setCheckState(*was);
    else if (item->data(kAddedFolderRole).toBool())
      item->setCheckState(Qt::Checked);
  }
}

QMenu* attachDriveListMenu(QListWidget* list, DriveKinds kinds, const std::function<void()>& changed, bool selectAll) {
  auto* menu = new QMenu(list);
  menu->setObjectName(QStringLiteral("pmDrives"));
  auto notify = [changed] {
    if (changed) changed();
  };
  if (selectAll) {
    QAction* all = menu->addAction(QStringLiteral("Select All"));
    all->setObjectName(QStringLiteral("miSelectAll"));
    QObject::connect(all, &QAction::triggered, list, [list, notify] {
      setAllChecked(list, true);
      notify();
    });
    QAction* none = menu->addAction(QStringLiteral("Deselect All"));
    none->setObjectName(QStringLiteral("miDeselectAll"));
    QObject::connect(none, &QAction::triggered, list, [list, notify] {
      setAllChecked(list, false);
      notify();
    });
    menu->addSeparator();
  }
  QAction* add = menu->addAction(QStringLiteral("Add a folder to the list of drives"));
  add->setObjectName(QStringLiteral("miAddFolder"));
  QObject::connect(add, &QAction::triggered, list, [list, kinds, notify] {
    addFolderToDriveList(list->window(), list, kinds);
    notify();
  });
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(list, &QWidget::customContextMenuRequested, menu,
                   [list, menu](const QPoint& pos) { menu->popup(list->viewport()->mapToGlobal(pos)); });
  return menu;
}

}  // namespace roomvale
