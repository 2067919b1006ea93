// How long reading and writing a form takes: a form of 300 widgets with about a dozen
// properties each (some 3600 properties), read onto a fresh root, written back, and
// converted to text and back.
#include <benchmark/benchmark.h>

#include "classlib/core/filer.h"
#include "classlib/core/formtext.h"
#include "test_components.h"

namespace {

std::string BigForm() {
  std::string text = "object TestForm: TTestForm\n  Caption = 'Bench'\n";
  for (int i = 0; i < 300; ++i) {
    std::string n = std::to_string(i);
    text += "  object W" + n + ": TTestWidget\n    Left = " + n + "\n    Width = 75\n    Shape = tsSquare\n" +
            "    Sides = [sdLeft, sdBottom]\n    Color = clInfoBk\n    Ratio = 0.5\n    Caption = 'Виджет " + n +
            "'\n    Font.Name = 'Tahoma'\n    Font.Size = 10\n    Lines.Strings = (\n      'a'\n      'b')\n" +
            "    Buddy = W" + std::to_string((i + 1) % 300) + "\n    OnClick = WidgetClick\n  end\n";
  }
  text += "end\n";
  TStringStream in(text), out;
  ObjectTextToBinary(&in, &out);
  return out.DataString();
}

void ReadForm(benchmark::State& state) {
  std::string binary = BigForm();
  for (auto _ : state) {
    TTestForm form(nullptr);
    TStringStream in(binary);
    TReader reader(&in);
    reader.ReadRootComponent(&form);
    benchmark::DoNotOptimize(form.ComponentCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * binary.size()));
}
BENCHMARK(ReadForm)->Unit(benchmark::kMillisecond);

void WriteForm(benchmark::State& state) {
  TTestForm form(nullptr);
  TStringStream in(BigForm());
  TReader(&in).ReadRootComponent(&form);
  for (auto _ : state) {
    TStringStream out;
    TWriter(&out).WriteRootComponent(&form);
    benchmark::DoNotOptimize(out.DataString().size());
  }
}
BENCHMARK(WriteForm)->Unit(benchmark::kMillisecond);

void ConvertForm(benchmark::State& state) {
  std::string binary = BigForm();
  for (auto _ : state) {
    TStringStream in(binary), text, back;
    ObjectBinaryToText(&in, &text);
    text.SetPosition(0);
    ObjectTextToBinary(&text, &back);
    benchmark::DoNotOptimize(back.DataString().size());
  }
}
BENCHMARK(ConvertForm)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
