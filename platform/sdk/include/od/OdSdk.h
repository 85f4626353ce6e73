// Everything of the drawing SDK in one include.
#pragma once

#include "od/CmColor.h"
#include "od/DbDatabase.h"
#include "od/DbDictionary.h"
#include "od/DbEntity.h"
#include "od/DbGroup.h"
#include "od/DbMaterial.h"
#include "od/DbObject.h"
#include "od/DbObjectId.h"
#include "od/DbSymbolTable.h"
#include "od/Ge.h"
#include "od/GiMaterial.h"
#include "od/OdArray.h"
#include "od/OdError.h"
#include "od/OdString.h"
#include "od/RxModule.h"
#include "od/RxObject.h"
