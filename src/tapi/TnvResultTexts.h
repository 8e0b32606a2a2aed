// Result codes and their texts: every operation of a control ends in one 32-bit code,
// and ReportResult turns it into Error.Text with the table of the control's kind.
#pragma once

#include <QString>
#include <QtGlobal>

// The suite's own line codes, outside TAPI's LINEERR_ range.
inline constexpr qint32 LINE_ERROR_DEVICE = -2;
inline constexpr qint32 TAPIREPLYTIMEOUT = -3;
inline constexpr qint32 NOT_TAPI_COMPLIANT = -985;

// The suite's own phone code.
inline constexpr qint32 PHONE_ERROR_DEVICE = -2;

// The wave engine's own checks; multimedia errors are positive, so these stay negative.
inline constexpr qint32 WAV_ERROR_DIRNOTFOUND = -1;
inline constexpr qint32 WAV_ERROR_NOFILE = -2;
inline constexpr qint32 WAV_ERROR_FILEOPEN = -3;
inline constexpr qint32 WAV_ERROR_FILECORRUPT = -4;
inline constexpr qint32 WAV_ERROR_FILEREAD = -5;
inline constexpr qint32 WAV_ERROR_FILEWRITE = -6;
inline constexpr qint32 WAV_ERROR_NOMEMORY = -7;
inline constexpr qint32 WAV_ERROR_UNSUPPORTEDFORMAT = -8;
inline constexpr qint32 WAV_ERROR_DEVICE = -9;
inline constexpr qint32 WAV_ERROR_CANCELED = -10;
inline constexpr qint32 WAV_ERROR_FILETOOBIG = -11;
inline constexpr qint32 WAV_ERROR_INVALIDVOLUME = -12;
inline constexpr qint32 WAV_ERROR_FORMATMISMATCH = -13;
inline constexpr qint32 WAV_ERROR_INVALIDBUFSIZE = -14;
inline constexpr qint32 WAV_ERROR_DEVICEACTIVE = -15;
inline constexpr qint32 WAV_ERROR_DEVICEINACTIVE = -16;
inline constexpr qint32 WAV_ERROR_BUSY = -17;
inline constexpr qint32 WAV_ERROR_TIMEOUT = -18;
inline constexpr qint32 WAV_ERROR_INVALIDSTATE = -19;

// Each gives "" for 0 (success) and "Unknown" for a code its table does not list.
QString LineErrorText(qint32 code);
QString PhoneErrorText(qint32 code);
QString WaveErrorText(qint32 code);
