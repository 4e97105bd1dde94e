#pragma once

#include "ACT/CommMgr.h"

class QWidget;
class CxACTAddrUtil;
class CxACTDateUtil;
class CxACTTaskUtil;
class CxACTNoteUtil;

// The read-only detail viewers. Each opens modally over `owner` for the record of `entry` and returns
// when it is closed; nothing happens for a missing entry or record.
void ShowContactDetail(QWidget* owner, CommAddr* entry, CxACTAddrUtil* util);
void ShowCalendarDetail(QWidget* owner, CommDate* entry, CxACTDateUtil* util);
void ShowTaskDetail(QWidget* owner, CommTask* entry, CxACTTaskUtil* util);
void ShowNoteDetail(QWidget* owner, CommNote* entry, CxACTNoteUtil* util);
