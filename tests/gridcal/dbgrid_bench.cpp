// Figures, not a test (tools/bench.sh runs it under Wine): paging a data grid through
// 10,000 records, every page painted, beside a bare Next walk of the same (in-memory)
// dataset.
#include <chrono>
#include <cstdio>

#include "classlib/data/db.h"
#include "classlib/windows/forms.h"
#include "classlib/core/text.h"
#include "gridcal/dbgrid.h"
#include "memdataset.h"

using horavox::test::TMemDataSet;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
  constexpr int kRecords = 10000;
  auto* form = new TForm(nullptr, CreateNew);
  form->SetBounds(0, 0, 520, 420);
  auto* ds = new TMemDataSet(form);
  ds->AddFieldDef("DATA", ftDate);
  ds->AddFieldDef("SOBITIE", ftString, 60);
  ds->Open();
  for (int i = 0; i < kRecords; ++i)
    ds->AppendRecord({TVariant(EncodeDate(2026, 1, 1) + i), TVariant("Напоминание номер " + IntToStr(i))});

  auto start = std::chrono::steady_clock::now();
  int walked = 0;
  for (ds->First(); !ds->Eof(); ds->Next()) ++walked;
  double walk = Seconds(start);

  auto* source = new TDataSource(form);
  source->SetDataSet(ds);
  auto* grid = new TDgDBGrid(form);
  grid->SetBounds(0, 0, 500, 400);
  grid->SetParent(form);
  grid->SetDataSource(source);
  form->Show();
  grid->SetFocus();
  ds->First();
  grid->Repaint();
  start = std::chrono::steady_clock::now();
  int pages = 0;
  while (!ds->Eof()) {
    SendMessageW(grid->GetHandle(), WM_KEYDOWN, VK_NEXT, 0);
    grid->Update();  // the page painted
    ++pages;
  }
  double paging = Seconds(start);

  // The same moves without painting: what the grid's bookkeeping costs.
  ds->First();
  grid->Update();
  start = std::chrono::steady_clock::now();
  int moves = 0;
  while (!ds->Eof()) {
    SendMessageW(grid->GetHandle(), WM_KEYDOWN, VK_NEXT, 0);
    ++moves;
  }
  double unpainted = Seconds(start);
  ValidateRect(grid->GetHandle(), nullptr);

  std::printf("bare Next walk: %d records in %.3f s\n", walked, walk);
  std::printf("grid paging:    %d pages of %d rows in %.3f s (%.1f x the walk)\n", pages, grid->GetRowCount() - 1,
              paging, walk > 0 ? paging / walk : 0.0);
  std::printf("grid moves:     %d pages unpainted in %.3f s\n", moves, unpainted);
  form->BeforeDestruction();
  delete form;
  return 0;
}
