// The main window's menus, toolbar and keys of its own, each built from one table, and the
// entries of the "Open recent" submenu.
#pragma once

#include <QMenu>
#include <functional>
#include <string>
#include <vector>

namespace quorvia::ui {

class frmMain;

// The menu bar, the toolbar's drop-down menus (PopupMenu1, PopupMenu2) and the keys that belong
// to the window itself (which has no menu item for New), each connected to its handler.
void buildMenus(frmMain& window);
// ToolBar1: each button with its picture, and its hint as tooltip and as the name the
// accessibility interface reads.
void buildToolBar(frmMain& window);

// Puts one entry per path into the "Open recent" submenu, in front of its own last items and in
// place of the entries it held: the file name, then its folder. Choosing one calls `open` with
// the path's bytes.
void fillRecentMenu(QMenu* menu, const std::vector<std::string>& paths,
                    const std::function<void(const std::string&)>& open);

}  // namespace quorvia::ui
