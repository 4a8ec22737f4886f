#include "platform/forms/cursors.h"

#include <QCursor>
#include <QGuiApplication>
#include <array>

namespace vantrel {

struct SystemCursor {
    std::int32_t Number;
    Qt::CursorShape Shape;
};

namespace {

constexpr std::array<SystemCursor, 14> kSystemCursors{{
    {IDC_ARROW, Qt::ArrowCursor},
    {IDC_IBEAM, Qt::IBeamCursor},
    {IDC_WAIT, Qt::WaitCursor},
    {IDC_CROSS, Qt::CrossCursor},
    {32516, Qt::UpArrowCursor},
    {32642, Qt::SizeFDiagCursor},
    {32643, Qt::SizeBDiagCursor},
    {32644, Qt::SizeHorCursor},
    {32645, Qt::SizeVerCursor},
    {32646, Qt::SizeAllCursor},
    {32648, Qt::ForbiddenCursor},
    {32649, Qt::PointingHandCursor},
    {IDC_APPSTARTING, Qt::BusyCursor},
    {32651, Qt::WhatsThisCursor},
}};

struct CursorState {
    HCURSOR current = &kSystemCursors[0];
    bool overriding = false;
};

CursorState& State() {
    static CursorState state;
    return state;
}

}  // namespace

HCURSOR LoadCursorA(HINSTANCE hInstance, std::int32_t lpCursorName) {
    if (hInstance != nullptr) {
        return nullptr;
    }
    for (const auto& cursor : kSystemCursors) {
        if (cursor.Number == lpCursorName) {
            return &cursor;
        }
    }
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
    CursorState& state = State();
    const HCURSOR previous = state.current;
    if (state.overriding) {
        QGuiApplication::restoreOverrideCursor();
    }
    state.overriding = cursor == nullptr || cursor->Number != IDC_ARROW;
    if (state.overriding) {
        QGuiApplication::setOverrideCursor(
            QCursor(cursor != nullptr ? cursor->Shape : Qt::BlankCursor));
    }
    state.current = cursor;
    return previous;
}

}  // namespace vantrel
