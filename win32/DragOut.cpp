#include "win32/DragOut.h"

#include <ole2.h>
#include <shlobj.h>

#include <cstring>

#include "win32/SystemLibrary.h"
#include "win32/WideText.h"

namespace rd::win32 {
namespace {

FORMATETC FileListFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool IsFileList(const FORMATETC* format) {
  return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) &&
         format->dwAspect == DVASPECT_CONTENT;
}

// Only the file list, as a copy of the block for each taker.
class FileListData final : public IDataObject {
 public:
  explicit FileListData(HGLOBAL block) : block_(block) {}
  ~FileListData() { GlobalFree(block_); }
  FileListData(const FileListData&) = delete;
  FileListData& operator=(const FileListData&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
      *out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!IsFileList(format) || !medium) return DV_E_FORMATETC;
    const SIZE_T size = GlobalSize(block_);
    const HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* to = copy ? GlobalLock(copy) : nullptr;
    void* from = GlobalLock(block_);
    if (!to || !from) {
      if (from) GlobalUnlock(block_);
      if (copy) GlobalFree(copy);
      return E_OUTOFMEMORY;
    }
    std::memcpy(to, from, size);
    GlobalUnlock(copy);
    GlobalUnlock(block_);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return IsFileList(format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    using Fn = HRESULT(WINAPI*)(UINT, const FORMATETC*, IEnumFORMATETC**);
    static const auto create = SystemFunction<Fn>("shell32.dll", "SHCreateStdEnumFmtEtc");
    if (direction != DATADIR_GET || !create) return E_NOTIMPL;
    const FORMATETC format = FileListFormat();
    return create(1, &format, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  HGLOBAL block_;
  ULONG references_ = 1;
};

class Source final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // On the stack for the length of the drag.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

HGLOBAL FileListBlock(const std::vector<std::string>& paths) {
  std::wstring names;
  for (const std::string& path : paths) {
    names += Wide(path);
    names += L'\0';
  }
  names += L'\0';
  const SIZE_T size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
  const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  auto* header = block ? static_cast<DROPFILES*>(GlobalLock(block)) : nullptr;
  if (!header) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(),
              names.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  return block;
}

bool DragFilesOut(const std::vector<std::string>& paths) {
  // OLE only when the first drag starts: the program's start does not pay for it.
  using InitFn = HRESULT(WINAPI*)(LPVOID);
  using DragFn = HRESULT(WINAPI*)(IDataObject*, IDropSource*, DWORD, DWORD*);
  static const auto initialize = SystemFunction<InitFn>("ole32.dll", "OleInitialize");
  static const auto drag = SystemFunction<DragFn>("ole32.dll", "DoDragDrop");
  static const bool ready = initialize && SUCCEEDED(initialize(nullptr));
  if (!ready || !drag || paths.empty()) return false;
  const HGLOBAL block = FileListBlock(paths);
  if (!block) return false;
  auto* data = new FileListData(block);
  Source source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT result = drag(data, &source, DROPEFFECT_COPY, &effect);
  data->Release();
  return result == DRAGDROP_S_DROP && effect == DROPEFFECT_COPY;
}

}  // namespace rd::win32
