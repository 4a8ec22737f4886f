#include "platform/cursors.h"

#include <QCursor>
#include <QGuiApplication>
#include <array>

namespace vantrel {

struct HCURSOR__ {
    std::uint16_t Number;
    Qt::CursorShape Shape;
};

namespace {

// The system cursors by their numbers, each as the Qt shape closest to it.
std::array<HCURSOR__, 14> kSystemCursors{{
    {32512, Qt::ArrowCursor},
    {32513, Qt::IBeamCursor},
    {32514, Qt::WaitCursor},
    {32515, Qt::CrossCursor},
    {32516, Qt::UpArrowCursor},
    {32642, Qt::SizeFDiagCursor},
    {32643, Qt::SizeBDiagCursor},
    {32644, Qt::SizeHorCursor},
    {32645, Qt::SizeVerCursor},
    {32646, Qt::SizeAllCursor},
    {32648, Qt::ForbiddenCursor},
    {32649, Qt::PointingHandCursor},
    {32650, Qt::BusyCursor},
    {32651, Qt::WhatsThisCursor},
}};

constexpr std::uint16_t kArrow = 32512;

struct CursorState {
    HCURSOR current = &kSystemCursors[0];
    bool overriding = false;
};

CursorState& State() {
    static CursorState state;
    return state;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    if (hInstance != nullptr || !IS_INTRESOURCE(lpCursorName)) {
        return nullptr;
    }
    const auto number = static_cast<std::uint16_t>(reinterpret_cast<std::uintptr_t>(lpCursorName));
    for (auto& cursor : kSystemCursors) {
        if (cursor.Number == number) {
            return &cursor;
        }
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR hCursor) {
    CursorState& state = State();
    const HCURSOR previous = state.current;
    if (state.overriding) {
        QGuiApplication::restoreOverrideCursor();
    }
    state.overriding = hCursor == nullptr || hCursor->Number != kArrow;
    if (state.overriding) {
        QGuiApplication::setOverrideCursor(
            QCursor(hCursor != nullptr ? hCursor->Shape : Qt::BlankCursor));
    }
    state.current = hCursor;
    return previous;
}

HCURSOR GetCursor() {
    return State().current;
}

}  // namespace vantrel
