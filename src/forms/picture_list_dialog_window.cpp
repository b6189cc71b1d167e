#include "forms/picture_list_dialog_window.h"

namespace torvane::forms {

FrmSelectFiles::FrmSelectFiles(platform::Services& sys)
    : ui::Form({.name = "FrmSelectFiles",
                .caption = "スクリーンファイル（.bmp）を右のリストに追加してください。",
                .frame = ui::FrameStyle::fixed_no_buttons,
                .unit = ui::ScaleUnit::twips,
                .client_width = 7560,
                .client_height = 3375}),
      File1(*this, sys, "File1", {2400, 120, 1935, 2610}, 0),
      Drive1(*this, sys, "Drive1", {120, 120, 2175, 300}, 1),
      Dir1(*this, sys, "Dir1", {120, 600, 2175, 2115}, 2),
      CmdOK(*this, "CmdOK", "設定", {5760, 2880, 1695, 375}, 3, /*enabled=*/false),
      CmdCancel(*this, "CmdCancel", "キャンセル", {3960, 2880, 1695, 375}, 4),
      // The field sits inside the label's blank run: "時間間隔=", the number, "分".
      minute(*this, "minute", "1", {2400, 2930, 495, 270}, 5),
      Label1(*this, "Label1", "時間間隔=       分", {1560, 2970, 1695, 255}, 6),
      // Only as wide as its box: the label beside it names it.
      ChkRandom(*this, "ChkRandom", "Check2", {120, 2975, 255, 195}, 7),
      Label3(*this, "Label3", "ランダム", {360, 2975, 855, 255}, 8),
      CmdAddtoList(*this, "CmdAddtoList", "追加", {4440, 720, 975, 495}, 9, /*enabled=*/false),
      List1(*this, "List1", {5520, 120, 1935, 2580}, 10),
      CmdDelfromlist(*this, "CmdDelfromlist", "削除", {4440, 1320, 975, 495}, 11,
                     /*enabled=*/false),
      cmdAddAll(*this, "cmdAddAll", "全て追加", {4440, 120, 975, 495}, 12),
      cmdhlp(*this, "cmdhlp", "スクリーンファイルとは？", {4440, 1920, 975, 735}, 13) {}

}  // namespace torvane::forms
