#include "saver/settings_dialog/form2.h"

#include <exception>
#include <optional>

#include "maker_config.h"
#include "platform/process.h"
#include "platform/rules.h"
#include "saver/host/module1.h"
#include "saver/resources/resources.h"

namespace {

constexpr int kKinds = 4;
const char* const kSection = "flowers";

void Place(forms::Control& c, const char* name, float left, float top, float width, float height,
           int tabIndex) {
  c.SetName(name);
  c.Move(left, top, width, height);
  c.SetTabIndex(tabIndex);
}

void SetUpLabel(forms::Label& label, const char* caption) {
  label.SetCaption(caption);
  label.SetBackColor(forms::kWhite);
}

void SetUpCountBox(forms::TextBox& box) {
  forms::Font font;
  font.name = "MS Sans Serif";
  font.size = 9.75f;
  font.bold = false;
  box.SetFont(font);
  box.SetAlignment(forms::Align::Center);
  box.SetLocked(true);
}

void SetUpBar(forms::VScrollBar& bar) {
  bar.SetRange(0, 10);
  bar.SetSmallChange(1);
  bar.SetLargeChange(1);
  bar.SetValue(1);
}

// The count a bar stands for: the top is 10 flowers, the bottom none.
std::string CountText(const forms::VScrollBar& bar) { return plat::NumberText(10 - bar.Value()); }

}  // namespace

Form2::Form2() {
  SetCaption("Tamarel Screen Saver");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  SetStartUpPosition(forms::StartUpPosition::CenterScreen);
  SetBackColor(forms::kWhite);
  SetClientSize(3615, 4395);
  SetIcon(&saver_res::FormIcon());

  Place(Image1, "Image1", 120, 50, 3420, 1365, -1);
  Image1.SetPicture(&saver_res::Banner());

  Place(ImageYellow, "ImageYellow", 240, 1560, 315, 285, -1);
  Place(LabelYellow, "LabelYellow", 720, 1590, 1455, 255, 10);
  Place(TextYellow, "TextYellow", 2400, 1500, 375, 405, 3);
  Place(VScrollYellow, "VScrollYellow", 2760, 1500, 255, 375, 2);
  Place(ImageRed, "ImageRed", 240, 2040, 330, 315, -1);
  Place(LabelRed, "LabelRed", 720, 2085, 1455, 255, 11);
  Place(TextRed, "TextRed", 2400, 2000, 375, 405, 4);
  Place(VScrollRed, "VScrollRed", 2760, 2000, 255, 375, 5);
  Place(ImageRose, "ImageRose", 240, 2520, 270, 315, -1);
  Place(LabelRose, "LabelRose", 720, 2565, 1455, 255, 12);
  Place(TextRose, "TextRose", 2400, 2480, 375, 405, 6);
  Place(VScrollRose, "VScrollRose", 2760, 2480, 255, 375, 7);
  Place(ImageWhite, "ImageWhite", 240, 3000, 330, 300, -1);
  Place(LabelWhite, "LabelWhite", 720, 3045, 1455, 255, 13);
  Place(TextWhite, "TextWhite", 2400, 2960, 375, 405, 8);
  Place(VScrollWhite, "VScrollWhite", 2760, 2960, 255, 375, 9);

  ImageYellow.SetPicture(&saver_res::IconYellow());
  ImageRed.SetPicture(&saver_res::IconRed());
  ImageRose.SetPicture(&saver_res::IconRose());
  ImageWhite.SetPicture(&saver_res::IconWhite());
  SetUpLabel(LabelYellow, "Yellow Orchids");
  SetUpLabel(LabelRed, "Red Petunias");
  SetUpLabel(LabelRose, "Roses");
  SetUpLabel(LabelWhite, "White Daisies");
  for (int i = 0; i < kKinds; ++i) {
    SetUpCountBox(Kinds(i).box);
    SetUpBar(Kinds(i).bar);
  }

  Line1.SetName("Line1");
  Line1.SetPoints(120, 3600, 3480, 3600);

  Place(CmdWebsite, "CmdWebsite", 120, 3720, 1935, 495, 1);
  CmdWebsite.SetPicture(&saver_res::WebsiteButton());
  Place(CmdClose, "CmdClose", 2280, 3720, 1215, 495, 0);
  CmdClose.SetCaption("Close");

  VScrollYellow.Change = [this] { VScrollYellow_Change(); };
  VScrollRed.Change = [this] { VScrollRed_Change(); };
  VScrollRose.Change = [this] { VScrollRose_Change(); };
  VScrollWhite.Change = [this] { VScrollWhite_Change(); };
  CmdClose.Click = [this] { CmdClose_Click(); };
  CmdWebsite.Click = [this] { CmdWebsite_Click(); };
}

Form2::Kind Form2::Kinds(int index) {
  switch (index) {
    case 0:
      return {VScrollYellow, TextYellow, "yellow", Module1::YellowCount};
    case 1:
      return {VScrollRed, TextRed, "red", Module1::RedCount};
    case 2:
      return {VScrollRose, TextRose, "rose", Module1::RoseCount};
    default:
      return {VScrollWhite, TextWhite, "white", Module1::WhiteCount};
  }
}

void Form2::Form_Load() {
  // Each step stands alone: what cannot be read leaves that bar where it
  // was designed (one below the top, nine flowers).
  const std::string file = Module1::IniFilePath();
  for (int i = 0; i < kKinds; ++i) {
    try {
      Module1::ReadIniValue(kSection, Kinds(i).key, Kinds(i).count, file);
    } catch (const std::exception&) {
    }
  }
  for (int i = 0; i < kKinds; ++i) {
    try {
      const std::optional<double> count = plat::ParseNumber(Kinds(i).count);
      if (!count) continue;
      const double position = plat::RoundHalfEven(10.0 - *count);
      if (!(position >= 0.0 && position <= 10.0)) continue;
      Kinds(i).bar.SetValue(static_cast<int>(position));
    } catch (const std::exception&) {
    }
  }
  for (int i = 0; i < kKinds; ++i) Kinds(i).box.SetText(CountText(Kinds(i).bar));
}

void Form2::VScrollYellow_Change() { TextYellow.SetText(CountText(VScrollYellow)); }
void Form2::VScrollRed_Change() { TextRed.SetText(CountText(VScrollRed)); }
void Form2::VScrollRose_Change() { TextRose.SetText(CountText(VScrollRose)); }
void Form2::VScrollWhite_Change() { TextWhite.SetText(CountText(VScrollWhite)); }

void Form2::CmdClose_Click() { Unload(); }

void Form2::CmdWebsite_Click() { Module1::ShellOpen(maker::kSite); }

void Form2::Form_Unload(int& cancel) {
  // Every way of closing saves what the bars show; closing cannot be
  // refused, and a file that cannot be written changes nothing here.
  cancel = 0;
  for (int i = 0; i < kKinds; ++i) Kinds(i).count = CountText(Kinds(i).bar);
  const std::string file = Module1::IniFilePath();
  for (int i = 0; i < kKinds; ++i) {
    try {
      win::WritePrivateProfileStringA(kSection, Kinds(i).key, Kinds(i).count.c_str(), file.c_str());
    } catch (const std::exception&) {
    }
  }
  plat::EndProgram(0);
}

Form2& TheForm2() {
  static Form2 form;
  return form;
}
