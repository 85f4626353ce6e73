// The exports of hostutils.dll: the current UCS, the render mode of a
// drawing's active viewport (each call recorded), the real-number
// conversions, and the seams for modal dialogs (message boxes, the
// open-file dialog, the colour dialog with its custom colours). Every
// dialog is recorded; in a scripted run a queued answer takes the place of
// the user, else the default answers, so nothing waits for a user.
#include "../core/HostRuntime.h"

#include "host/Conversions.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <string>

using host::DialogAnswer;
using host::DialogKind;
using host::hostRuntime;

extern "C" {
// The host keeps no user coordinate system of its own: the world is current.
__declspec(dllexport) bool getCurrentUCS(OdDbDatabase* database, OdGeMatrix3d& ucs)
{
  if (!database)
    return false;
  ucs = OdGeMatrix3d();
  return true;
}

__declspec(dllexport) bool setRenderMode(OdDbDatabase* database, bool smoothShaded)
{
  auto& runtime = hostRuntime();
  const OdDb::RenderMode mode = smoothShaded ? OdDb::kGouraudShaded : OdDb::kFlatShaded;
  host::RenderModeRecord record{OdString(), int(mode), database != nullptr};
  host::DocumentManager& documents = runtime.documents();
  for (int i = 0; database && i < documents.documentCount(); ++i)
    if (HostDocument* document = documents.documentAt(i); document->database() == database)
      record.document = document->title();
  runtime.renderModes.push_back(record);
  if (!database)
    return false;
  // This host's drawings have one layout, model space, with one viewport.
  database->setActiveViewportRenderMode(mode);
  return true;
}

__declspec(dllexport) int hostMessageBox(void* owner, const wchar_t* text, const wchar_t* caption, int icon,
                                         int buttons)
{
  return host::showMessageBox(owner, text, caption, icon, buttons);
}

__declspec(dllexport) bool hostSelectFileToOpen(void* owner, const wchar_t* initialName, const wchar_t* filter,
                                                unsigned flags, wchar_t* path, unsigned pathSize)
{
  OdString answer;
  bool chosen = host::showFileDialog(owner, OdString(initialName ? initialName : L""), OdString(filter ? filter : L""),
                                     flags, false, answer);
  // A path that does not fit the caller's buffer is no answer at all.
  if (chosen && (!path || answer.getLength() + 1 > int(pathSize)))
  {
    chosen = false;
    hostRuntime().fileDialogs.back().answer.empty();
  }
  if (chosen)
  {
    const std::size_t length = answer.str().copy(path, answer.str().size());
    path[length] = L'\0';
  }
  return chosen;
}

__declspec(dllexport) bool hostdbRToS(double value, int unitMode, int precision, wchar_t* text, unsigned size)
{
  const OdString result = host::realToText(value, unitMode, precision);
  if (!text || unsigned(result.getLength()) + 1 > size)
    return false;
  const std::size_t length = result.str().copy(text, result.str().size());
  text[length] = L'\0';
  return true;
}

__declspec(dllexport) bool hostdbDisToF(const wchar_t* text, int unitMode, double* value)
{
  double result = 0.0;
  if (!text || !value || !host::distanceToReal(OdString(text), unitMode, result))
    return false;
  *value = result;
  return true;
}

__declspec(dllexport) bool hostSetColorDialogTrueColor(OdCmColor& color, bool flag, const OdCmColor& second, int tabs,
                                                       void* parent)
{
  (void)flag;   // kept for the host's own use; this host has no meaning for it
  (void)second; // the by-layer sample: this host's dialog has no by-layer page
  (void)tabs;
  ODCOLORREF chosen = 0;
  if (!host::showColorDialog(parent ? parent : hostRuntime().mainWindow(), ODRGB(color.red(), color.green(), color.blue()),
                             chosen))
    return false;
  color = OdCmColor();
  color.setRGB(OdUInt8(ODGETRED(chosen)), OdUInt8(ODGETGREEN(chosen)), OdUInt8(ODGETBLUE(chosen)));
  return true;
}

__declspec(dllexport) int hostGetCustomColors(OdCmColor* colors, int capacity)
{
  const auto& custom = hostRuntime().customColors();
  const int count = std::min(int(custom.size()), std::max(capacity, 0));
  for (int i = 0; colors && i < count; ++i)
  {
    colors[i] = OdCmColor();
    colors[i].setRGB(OdUInt8(ODGETRED(custom[i])), OdUInt8(ODGETGREEN(custom[i])), OdUInt8(ODGETBLUE(custom[i])));
  }
  return colors ? count : int(custom.size());
}

__declspec(dllexport) void hostAddCustomColor(const OdCmColor& color)
{
  hostRuntime().addCustomColor(ODRGB(color.red(), color.green(), color.blue()));
}
}
