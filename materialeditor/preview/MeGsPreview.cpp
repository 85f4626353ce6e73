#include "MeGsPreview.h"

#include "od/CmColor.h"
#include "od/DbDatabase.h"

namespace meui
{
MeGsPreview::~MeGsPreview() { release(); }

bool MeGsPreview::attach(OdDbDatabase* database, const Setup& setup)
{
  if (!database)
    return false;
  OdRxModulePtr loaded = odrxDynamicLinker()->getModule(setup.moduleName);
  if (loaded.isNull())
    loaded = odrxDynamicLinker()->loadModule(setup.moduleName);
  if (loaded.isNull())
    return false;
  OdGsModulePtr module = loaded; // checked: the wrong-class error for anything else

  OdGsDevicePtr device = module->createDevice();
  if (device.isNull())
    return false;
  OdRxDictionaryPtr properties = device->properties();
  for (const auto& property : setup.properties)
    if (!properties.isNull() && properties->has(property.first))
      properties->putAt(property.first, property.second.get());

  OdGiContextForDbDatabasePtr context = OdGiContextForDbDatabase::createObject();
  context->setDatabase(database);
  // Lets the device keep the geometry it took from the database between
  // frames while the database does not change: an orbit redraws only.
  context->enableGsModel(true);
  OdGsLayoutHelperPtr helper = OdDbGsManager::setupActiveLayoutViews(device, context);

  const std::vector<ODCOLORREF> colors = palette(setup.background);
  helper->setLogicalPalette(colors.data(), int(colors.size()));
  helper->setBackgroundColor(setup.background);
  if (OdGsView* active = helper->activeView())
    active->setViewportBorderVisibility(false);

  // The new objects are complete: only now does the old device lose its
  // views, so a failure above leaves the preview as it was.
  release();
  m_module = module;
  m_device = device;
  m_context = context;
  m_helper = helper;
  return true;
}

bool MeGsPreview::resize(long width, long height)
{
  if (m_helper.isNull() || width < 1 || height < 1)
    return false;
  m_helper->onSize(OdGsDCRect(0, width, height, 0));
  return true;
}

bool MeGsPreview::update()
{
  if (m_helper.isNull())
    return false;
  m_helper->update();
  return true;
}

void MeGsPreview::setBackground(ODCOLORREF color)
{
  if (!m_helper.isNull())
    m_helper->setBackgroundColor(color);
}

OdGiRasterImagePtr MeGsPreview::render(long width, long height)
{
  if (!resize(width, height))
    return OdGiRasterImagePtr();
  m_helper->update();
  OdGiRasterImagePtr image;
  m_helper->getSnapShot(image, OdGsDCRect(0, width, height, 0));
  return image;
}

void MeGsPreview::releaseViews()
{
  if (!m_helper.isNull())
    m_helper->eraseAllViews();
  m_helper = nullptr;
}

void MeGsPreview::releaseContext() { m_context = nullptr; }

void MeGsPreview::releaseDevice()
{
  m_device = nullptr;
  m_module = nullptr;
}

void MeGsPreview::release()
{
  releaseViews();
  releaseContext();
  releaseDevice();
}

void MeGsPreview::previewChanged()
{
  if (!m_helper.isNull())
    m_helper->invalidate();
}

std::vector<ODCOLORREF> MeGsPreview::palette(ODCOLORREF background)
{
  const ODCOLORREF* standard = odcmAcadPalette();
  std::vector<ODCOLORREF> colors(standard, standard + 256);
  colors[0] = background;
  return colors;
}
} // namespace meui
