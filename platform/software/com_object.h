// Reference counting shared by the software objects: one count per object, whatever interfaces
// it shows; the last Release destroys it.
#pragma once

#include "platform/com.h"

template <class... Interfaces>
class ComObject : public Interfaces... {
  public:
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

  protected:
    ComObject() = default;
    ~ComObject() override = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // Hands out `view` with a new reference, as QueryInterface does.
    template <class Interface>
    HRESULT giveOut(Interface* view, void** object) {
        *object = view;
        AddRef();
        return S_OK;
    }

  private:
    ULONG references_ = 1;
};
