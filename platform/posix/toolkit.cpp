// The headless toolkit: a stand-in for the window so the program builds and
// its handlers can be tested on Linux. Controls are texts in memory; message
// boxes and addresses go to stdout as UTF-8 and return at once.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/codepage.h"
#include "platform/posix/headless_toolkit.h"

namespace {

struct Control {
  ControlKind kind;
  std::string text;  // a drop-down list: the selected item's text
  void (*onClick)();
};

struct HeadlessWindow {
  const WindowDescription* description = nullptr;
  std::string caption;
  std::vector<Control> controls;
  std::vector<ToolkitCall> calls;
};

HeadlessWindow& Window() {
  static HeadlessWindow window;
  return window;
}

Control* ControlAt(int index) {
  auto& controls = Window().controls;
  if (index < 0 || index >= static_cast<int>(controls.size())) return nullptr;
  return &controls[static_cast<size_t>(index)];
}

std::string ForTerminal(const std::string& gbk) {
  std::vector<std::uint8_t> utf8;
  ConvertCodePage(kCodePageGbk, kCodePageUtf8, reinterpret_cast<const std::uint8_t*>(gbk.data()), gbk.size(), utf8);
  return std::string(utf8.begin(), utf8.end());
}

std::string OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

void HeadlessReset() { Window() = HeadlessWindow{}; }

void HeadlessCreateWindow(const WindowDescription& description) {
  HeadlessReset();
  HeadlessWindow& window = Window();
  window.description = &description;
  window.caption = OrEmpty(description.caption);
  for (int i = 0; i < description.controlCount; ++i) {
    const ControlDescription& control = description.controls[i];
    // A drop-down list starts with no item picked.
    std::string text = control.kind == ControlKind::DropDownList ? std::string() : OrEmpty(control.text);
    window.controls.push_back({control.kind, std::move(text), control.onClick});
  }
  if (description.onCreated) description.onCreated();
}

void HeadlessSetControlText(int index, const std::string& text) {
  if (Control* control = ControlAt(index)) control->text = text;
}

void HeadlessSelectListItem(int index, int item) {
  Control* control = ControlAt(index);
  const WindowDescription* description = Window().description;
  if (!control || control->kind != ControlKind::DropDownList || !description) return;
  control->text = item >= 0 && item < description->listItemCount ? description->listItems[item] : "";
}

void HeadlessClick(int index) {
  if (Control* control = ControlAt(index); control && control->onClick) control->onClick();
}

std::string HeadlessWindowCaption() { return Window().caption; }

const std::vector<ToolkitCall>& HeadlessCalls() { return Window().calls; }

void InitToolkit() {}
void EndToolkit() {}

int RunMainWindow(const WindowDescription& description) {
  HeadlessCreateWindow(description);
  // Nobody can use a window without a screen: it closes at once.
  std::printf("%s\n", ForTerminal(Window().caption).c_str());
  return 0;
}

std::string ReadControlText(int index) {
  const Control* control = ControlAt(index);
  return control ? control->text : std::string();
}

void SetWindowCaption(const char* caption) {
  Window().caption = OrEmpty(caption);
  Window().calls.push_back({ToolkitCall::Kind::SetCaption, OrEmpty(caption), {}, 0});
}

int ShowMessage(const char* message, int buttons, const char* caption) {
  Window().calls.push_back({ToolkitCall::Kind::ShowMessage, OrEmpty(message), OrEmpty(caption), buttons});
  std::printf("[%s]\n%s\n", ForTerminal(OrEmpty(caption)).c_str(), ForTerminal(OrEmpty(message)).c_str());
  std::fflush(stdout);
  return 1;  // OK
}

void OpenAddress(const char* address) {
  Window().calls.push_back({ToolkitCall::Kind::OpenAddress, OrEmpty(address), {}, 0});
  std::printf("open %s\n", ForTerminal(OrEmpty(address)).c_str());
  std::fflush(stdout);
}

void SetVisualStyle(int scheme) { Window().calls.push_back({ToolkitCall::Kind::SetVisualStyle, {}, {}, scheme}); }
