#include "ui/win32/GridListView.h"

#include "ui/Layout.h"
#include "ui/win32/WindowText.h"

namespace qm {
namespace {

// Grid alignment codes: 0..2 left, 3..5 centre, 6..8 right (by top, middle,
// bottom); 0 and 9 are left. The list view's first column is always left.
int ColumnFormat(int code) {
  if (code >= 3 && code <= 5) return LVCFMT_CENTER;
  if (code >= 6 && code <= 8) return LVCFMT_RIGHT;
  return LVCFMT_LEFT;
}

}  // namespace

GridListView::GridListView(HWND listView, int dpi) : list_(listView), dpi_(dpi) {
  ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  // The area no cell covers shows the button face; cells keep the window colour.
  ListView_SetBkColor(list_, ::GetSysColor(COLOR_BTNFACE));
  ListView_SetTextBkColor(list_, ::GetSysColor(COLOR_WINDOW));
}

GridListView::~GridListView() { SetGrid(nullptr); }

void GridListView::SetGrid(Grid* grid) {
  if (grid_) grid_->SetObserver(nullptr);
  grid_ = grid;
  if (!::IsWindow(list_)) return;
  while (ListView_DeleteColumn(list_, 0)) {
  }
  headers_.clear();
  widths_.clear();
  rows_ = 0;
  ListView_SetItemCountEx(list_, 0, 0);
  if (!grid_) return;
  grid_->SetObserver(this);
  for (int c = 0; c < grid_->Cols(); ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 0;
    column.pszText = const_cast<char*>("");
    ::SendMessageA(list_, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    headers_.emplace_back();
    widths_.push_back(-1);
  }
  SyncColumns();
  SyncRows();
  ShowGridCurrent();
}

void GridListView::SyncColumns() {
  for (int c = 0; c < grid_->Cols(); ++c) {
    const std::string header = ToAnsi(grid_->TextMatrix(0, c));
    const int width = TwipsToPixels(grid_->ColWidth(c), dpi_);
    if (header == headers_[c] && width == widths_[c]) continue;
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = c == 0 ? LVCFMT_LEFT : ColumnFormat(grid_->ColAlignment(c));
    column.cx = width;
    column.pszText = const_cast<char*>(header.c_str());
    ::SendMessageA(list_, LVM_SETCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    headers_[c] = header;
    widths_[c] = width;
  }
  // The header row is drawn bold as a whole when its first cell is.
  const bool bold = grid_->CellFontBold(0, 0);
  if (bold != headerBold_) {
    HFONT font = bold ? BoldFont() : reinterpret_cast<HFONT>(::SendMessageA(list_, WM_GETFONT, 0, 0));
    ::SendMessageA(ListView_GetHeader(list_), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    headerBold_ = bold;
  }
}

HFONT GridListView::BoldFont() {
  if (!boldFont_.valid()) {
    LOGFONTA description{};
    HFONT base = reinterpret_cast<HFONT>(::SendMessageA(list_, WM_GETFONT, 0, 0));
    if (!base || !::GetObjectA(base, sizeof description, &description)) {
      ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
    }
    description.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectA(&description));
  }
  return boldFont_.get();
}

void GridListView::SyncRows() {
  const int rows = grid_->Rows() - 1;
  if (rows != rows_) {
    rows_ = rows;
    ListView_SetItemCountEx(list_, rows_ > 0 ? rows_ : 0, LVSICF_NOSCROLL);
  }
  ::InvalidateRect(list_, nullptr, FALSE);
}

void GridListView::GridRowsInserted(int, int) {
  SyncRows();
  ShowGridCurrent();
}

void GridListView::GridRowRemoved(int row) {
  SyncRows();
  if (row == 0) SyncColumns();
  ShowGridCurrent();
}

void GridListView::GridDataChanged() {
  SyncColumns();
  SyncRows();
}

void GridListView::GridCurrentChanged() { ShowGridCurrent(); }

void GridListView::ShowGridCurrent() {
  if (!grid_ || mirroring_) return;
  mirroring_ = true;
  const int item = grid_->Row() >= 1 ? grid_->Row() - 1 : -1;
  const int shown = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  if (item != shown || (item >= 0 && ListView_GetNextItem(list_, -1, LVNI_FOCUSED) != item)) {
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (item >= 0) {
      ListView_SetItemState(list_, item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
      ListView_EnsureVisible(list_, item, FALSE);
    }
  }
  mirroring_ = false;
}

void GridListView::SetGridCurrent(int row, int col) {
  if (!grid_) return;
  mirroring_ = true;  // one update of the view once both coordinates are set
  grid_->SetRow(row);
  grid_->SetCol(col);
  mirroring_ = false;
  ShowGridCurrent();
}

int GridListView::RowAt(POINT client) const {
  LVHITTESTINFO hit{};
  hit.pt = client;
  ListView_SubItemHitTest(list_, &hit);
  return hit.iItem >= 0 && hit.iItem < rows_ ? hit.iItem + 1 : 0;
}

bool GridListView::OnNotify(const NMHDR& header, LRESULT* result) {
  if (!grid_ || header.hwndFrom != list_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOA: {
      auto& info = const_cast<NMLVDISPINFOA&>(reinterpret_cast<const NMLVDISPINFOA&>(header));
      if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        text_ = ToAnsi(grid_->TextMatrix(info.item.iItem + 1, info.item.iSubItem));
        ::lstrcpynA(info.item.pszText, text_.c_str(), info.item.cchTextMax);
      }
      *result = 0;
      return true;
    }
    case NM_CLICK: {
      const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      LVHITTESTINFO hit{};
      hit.pt = click.ptAction;
      ListView_SubItemHitTest(list_, &hit);
      if (hit.iItem >= 0 && hit.iItem < rows_ && hit.iSubItem >= 0) {
        SetGridCurrent(hit.iItem + 1, hit.iSubItem);
      } else {
        ShowGridCurrent();  // a click beside the cells moves nothing
      }
      *result = 0;
      return true;
    }
    case NM_RCLICK:
    case NM_DBLCLK: {
      const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      const int row = RowAt(click.ptAction);
      POINT screen = click.ptAction;
      ::ClientToScreen(list_, &screen);
      if (header.code == NM_RCLICK && onContextMenu) onContextMenu(row, screen);
      if (header.code == NM_DBLCLK && onDoubleClick) onDoubleClick(row);
      *result = 0;
      return true;
    }
    case LVN_COLUMNCLICK: {
      const auto& click = reinterpret_cast<const NMLISTVIEW&>(header);
      SetGridCurrent(0, click.iSubItem);
      *result = 0;
      return true;
    }
    case LVN_ITEMCHANGED: {
      // An arrow key or a click moved the list view's focus: the grid follows.
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!mirroring_ && change.iItem >= 0 && (change.uNewState & LVIS_FOCUSED) &&
          !(change.uOldState & LVIS_FOCUSED)) {
        mirroring_ = true;
        grid_->SetRow(change.iItem + 1);
        mirroring_ = false;
      }
      *result = 0;
      return true;
    }
    case NM_CUSTOMDRAW:
      *result = CustomDraw(const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header)));
      return true;
    default:
      return false;
  }
}

LRESULT GridListView::CustomDraw(NMLVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
      return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
      const int row = static_cast<int>(draw.nmcd.dwItemSpec) + 1;
      const int col = draw.iSubItem;
      const std::uint32_t mark = col == 0 ? MarkColor(grid_->Mark(row)) : kDefaultColor;  // COLORREF's order
      draw.clrTextBk = mark != kDefaultColor ? static_cast<COLORREF>(mark) : ::GetSysColor(COLOR_WINDOW);
      draw.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
      // Every cell selects its font: one cell's bold must not carry over.
      HFONT font = grid_->CellFontBold(row, col)
                       ? BoldFont()
                       : reinterpret_cast<HFONT>(::SendMessageA(list_, WM_GETFONT, 0, 0));
      if (font) ::SelectObject(draw.nmcd.hdc, font);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

}  // namespace qm
