// Help context numbers. Menu items and windows carry the first kind as their HelpContext
// (F1 opens the page), controls the popup kind (a popup shows a short text). The help file's
// Context.h gives the same numbers the same names; a test keeps the two in step.
#pragma once

#include "platform/AppHelp.h"

constexpr THelpContext IDH_MAIN_WINDOW = 1000;
constexpr THelpContext IDH_FILE_PRINT_MECHANISM = 1010;
constexpr THelpContext IDH_FILE_PRINT_TEXT = 1011;
constexpr THelpContext IDH_FILE_EXIT = 1012;
constexpr THelpContext IDH_EDIT_COPY_MECHANISM = 1020;
constexpr THelpContext IDH_EDIT_COPY_MECHANISM_FILE = 1021;
constexpr THelpContext IDH_EDIT_COPY_TEXT = 1022;
constexpr THelpContext IDH_VIEW_BACKGROUND = 1030;
constexpr THelpContext IDH_VIEW_TEXT_BACKGROUND = 1031;
constexpr THelpContext IDH_VIEW_AXES = 1032;
constexpr THelpContext IDH_VIEW_RESET = 1033;
constexpr THelpContext IDH_ANIMATION_SPEED = 1040;
constexpr THelpContext IDH_TEST_ALL = 1050;
constexpr THelpContext IDH_TEST_CATEGORY = 1051;
constexpr THelpContext IDH_HELP_SEARCH = 1060;
constexpr THelpContext IDH_HELP_CONTENTS = 1061;
constexpr THelpContext IDH_HELP_ABOUT = 1062;
constexpr THelpContext IDH_SPEED_DIALOG = 1100;
constexpr THelpContext IDH_TEST_WINDOW = 1110;
constexpr THelpContext IDH_PRINT_PREVIEW = 1120;
constexpr THelpContext IDH_PICTURE_PREVIEW = 1121;
constexpr THelpContext IDH_ENLARGED_PICTURE = 1130;
constexpr THelpContext IDH_VIDEO_WINDOW = 1140;
constexpr THelpContext IDH_USER_NAME = 1150;
constexpr THelpContext IDH_ABOUT = 1160;
constexpr THelpContext IDH_POPUP_3D_VIEW = 2000;
constexpr THelpContext IDH_POPUP_STEP_BAR = 2001;
constexpr THelpContext IDH_POPUP_START = 2002;
constexpr THelpContext IDH_POPUP_STOP = 2003;
constexpr THelpContext IDH_POPUP_ZOOM = 2004;
constexpr THelpContext IDH_POPUP_SPEED_SLIDER = 2010;
constexpr THelpContext IDH_POPUP_USER_NAME = 2020;
constexpr THelpContext IDH_POPUP_TEST_ANSWERS = 2030;
constexpr THelpContext IDH_POPUP_PAGE = 2040;
constexpr THelpContext IDH_POPUP_CAM_SHAPE = 2050;
