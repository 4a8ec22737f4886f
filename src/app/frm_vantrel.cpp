#include "app/frm_vantrel.h"

#include "dialog/frm_confirm.h"
#include "platform/forms/program.h"
#include "platform/forms/runtime.h"

namespace vantrel {
namespace {

void DesignTitleLabel(Label& label, const char* caption, const TwipsRect& place) {
    label.SetCaption(caption);
    label.Move(place.Left, place.Top, place.Width, place.Height);
    label.SetFont({"Georgia", 36, true, true});
    label.SetForeColor(kButtonFace);
    label.SetBackStyle(Background::Transparent);  // the blue shows through
}

}  // namespace

FrmVantrel::FrmVantrel()
    : Form({.Caption = "Form1",
            .BorderStyle = FormBorder::Borderless,
            .ShowInTaskbar = true,
            .StartUpPosition = StartPosition::WindowsDefault,
            .BackColor = Color::Rgb(0, 0, 192),
            .ClientWidth = 11685,
            .ClientHeight = 6975}),
      Label1{{Label(*this), Label(*this)}} {
    DesignTitleLabel(Label1[0], "ZORVIK-Viewer", {240, 360, 6735, 975});
    DesignTitleLabel(Label1[1], "Reference Vantrel", {480, 1560, 11055, 1695});
}

void FrmVantrel::Form_Load() {
    Move(0, 0, ScreenWidth(), ScreenHeight());
    Show();
    FrmConfirm confirm;
    confirm.ShowModal(*this);
}

void FrmVantrel::Form_Unload(bool&) {
    EndProgram(kExitNotInstalled);
}

}  // namespace vantrel
