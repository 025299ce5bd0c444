// MainWindow: the one window of the program, as a static description, and the
// handlers of its events and link buttons.
#pragma once

#include "platform/toolkit.h"
#include "text/text.h"

// The controls of MainWindow, as indexes into its description (creation order).
enum MainWindowControl {
  kRegionList = 0,   // 组合框1
  kRegionLabel = 1,  // 标签1
  kNameLabel = 2,    // 标签2
  kNameBox = 3,      // 编辑框1
  kQueryButton = 4,  // 按钮1
  kHomePageButton = 5,  // 按钮2
  kPartnerButton = 6,   // 按钮3
  kContactButton = 7,   // 按钮4
  kMainWindowControlCount = 8,
};

const WindowDescription& MainWindowDescription();

// Runs before MainWindow is created; does nothing and gives 0.
int StartupRoutine();
// MainWindow's created event: sets the caption, then the visual style.
void OnMainWindowCreated();
// 按钮2: the slogan under "明智之选！", then the publisher's home page.
void OpenHomePage();
// 按钮3: "明智之选！" under "明智之选！", then the partner site.
void OpenPartnerSite();
// 按钮4: the instant-messenger contact link, no message.
void ContactAuthor();

// The address handed to the shell for `address`: unchanged when it names a
// scheme ("tencent://...", "mailto:x"), else "http://" + address, because the
// shell opens nothing for a bare host. A host with a port is not a scheme:
// ShellAddress("www.example.com") and ShellAddress("localhost:8080/x") get
// "http://"; ShellAddress("tencent://QQInterLive/?Cmd=2") is unchanged.
Text ShellAddress(const Text& address);
