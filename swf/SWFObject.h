// CSWFObject: base of the SWF definitions (shape, bitmap, button), each producing one complete tag.
#pragma once

#include "swf/SWFMatrix.h"

#include <cstdint>

// A definition the movie copies as tag bytes. The caller numbers character ids and depths.
class CSWFObject
{
  public:
    // Values of GetKind.
    static constexpr int kShape = 0;
    static constexpr int kBitmap = 2;
    static constexpr int kButton = 3;

    CSWFObject();
    virtual ~CSWFObject();
    CSWFObject(const CSWFObject &) = delete;
    CSWFObject &operator=(const CSWFObject &) = delete;

    // Lays out the complete tag (header included) from the current content and returns it.
    virtual const unsigned char *GetData() = 0;
    // Byte count of that tag; 0 for an empty definition.
    virtual int GetLength() const = 0;

    int GetKind() const
    {
        return m_nKind;
    }
    uint16_t GetCharacterId() const
    {
        return m_nCharacterId;
    }
    uint16_t GetDepth() const
    {
        return m_nDepth;
    }
    // The matrix written when the object is placed: the identity.
    CSWFMatrix &GetPlacementMatrix()
    {
        return m_matrix;
    }

  protected:
    int m_nKind = kShape;
    uint16_t m_nCharacterId = 0;
    uint16_t m_nDepth = 0;
    CSWFMatrix m_matrix;
};
