// The Action list of the settings dialog: its columns, rows and selection.
#include "ui/settings_list.h"
#include "ui/settings_parts_win.h"

namespace mw {

int SelectionMark(const SettingsDialog& d) {
  return static_cast<int>(SendMessageA(d.list_view, LVM_GETSELECTIONMARK, 0, 0));
}

void SetRowSelected(const SettingsDialog& d, int row, bool selected) {
  LVITEMA item = {};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(d.list_view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&item));
}

void InsertColumns(const SettingsDialog& d) {
  const struct {
    const char* title;
    int width;
  } columns[] = {{kNameColumnTitle, kNameColumnWidth}, {kStateColumnTitle, kStateColumnWidth}};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].title);
    column.iSubItem = i;
    SendMessageA(d.list_view, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(&column));
  }
}

namespace {

// Action i's texts in row i; insert adds the row, otherwise it is rewritten.
void PutRow(const SettingsDialog& d, std::size_t i, bool insert) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(i);
  item.pszText = const_cast<char*>(d.actions[i].Name.c_str());
  SendMessageA(d.list_view, insert ? LVM_INSERTITEMA : LVM_SETITEMA, 0,
               reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  item.pszText = const_cast<char*>(StateColumnText(d.actions[i]));
  SendMessageA(d.list_view, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void FillActionListView(const SettingsDialog& d) {
  // Drawn once at the end: under Wine each row drawn on its own costs milliseconds.
  SendMessageA(d.list_view, WM_SETREDRAW, FALSE, 0);
  SendMessageA(d.list_view, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t i = 0; i < d.actions.size(); ++i) PutRow(d, i, true);
  SendMessageA(d.list_view, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(d.list_view, nullptr, TRUE);
}

void ShowRegisteredRow(const SettingsDialog& d, int row) {
  const auto rows = SendMessageA(d.list_view, LVM_GETITEMCOUNT, 0, 0);
  PutRow(d, static_cast<std::size_t>(row), row >= rows);
}

void RemoveRow(const SettingsDialog& d, int row) {
  SendMessageA(d.list_view, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
  // The list moves its mark on to the next row, which nobody selected.
  SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, -1);
}

void SelectRow(const SettingsDialog& d, int row) {
  SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, row);
  SetRowSelected(d, row, true);
  SendMessageA(d.list_view, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

// Otherwise the mark would still name the row just left.
void FollowNewSelection(const SettingsDialog& d, const NMLISTVIEW& change) {
  const bool became_selected = (change.uChanged & LVIF_STATE) != 0 &&
                               (change.uNewState & LVIS_SELECTED) != 0 &&
                               (change.uOldState & LVIS_SELECTED) == 0;
  if (became_selected && change.iItem >= 0)
    SendMessageA(d.list_view, LVM_SETSELECTIONMARK, 0, change.iItem);
}

}  // namespace mw
