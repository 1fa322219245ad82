/*
 * OrvelleControls: the component server's C interface.
 *
 * libOrvelleControls.so is an in-process component server. A host application loads it (with
 * dlopen, or by linking -lOrvelleControls), registers it once into the per-user component
 * registry (DllRegisterServer), finds a class by ProgID (OvCLSIDFromProgID), gets its class
 * object (DllGetClassObject or OvCoCreateInstance) and creates instances. Every object is
 * reached through small interfaces laid out as vtables of function pointers:
 *
 *   OvClassFactory        creates instances of one class; locks the server in memory
 *   OvDispatch            late-bound members by name and dispatch id (every object)
 *   OvPersistPropertyBag  new-instance defaults, or properties loaded from / saved to a bag file
 *   OvControl             a control's extent, input events, timers and rendering to PNG
 *   OvConnectionPoint     the control's events, delivered to a callback
 *
 * Every interface starts with QueryInterface, AddRef and Release. Objects count references;
 * the server may be unloaded when DllCanUnloadNow returns OV_S_OK (no object, class object or
 * lock alive). Every call and every event delivery holds a reference of its own while it runs,
 * so a sink may release the last reference from inside an event: the object goes when the call
 * that raised the event returns. A pointer whose object has gone stays safe to call for a while:
 * every function answers OV_CO_E_OBJNOTCONNECTED, AddRef and Release answer 0 (so a second
 * Release does no harm); once the server has retired 256 more objects its memory may serve a
 * new one. Strings crossing this interface are UTF-8, allocated with OvStringAlloc and
 * freed with OvStringFree (OvVariantClear frees a variant's string or releases its object).
 * No call lets an exception or signal escape: failures are result codes.
 *
 * The registry file, its location ($ORVELLE_REGISTRY, else $XDG_CONFIG_HOME/orvelle/
 * registry.json, else ~/.config/orvelle/registry.json) and its format: docs/registry.md.
 */
#ifndef ORVELLE_ORVELLE_H
#define ORVELLE_ORVELLE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- result codes (the values a caller of a component server expects) ------------------ */
typedef int32_t OvResult;
#define OV_SUCCEEDED(hr) ((OvResult)(hr) >= 0)
#define OV_FAILED(hr) ((OvResult)(hr) < 0)

#define OV_S_OK ((OvResult)0)
#define OV_S_FALSE ((OvResult)1)
#define OV_E_NOTIMPL ((OvResult)0x80004001)
#define OV_E_NOINTERFACE ((OvResult)0x80004002)
#define OV_E_POINTER ((OvResult)0x80004003)
#define OV_E_FAIL ((OvResult)0x80004005)
#define OV_E_UNEXPECTED ((OvResult)0x8000FFFF)
#define OV_E_OUTOFMEMORY ((OvResult)0x8007000E)
#define OV_E_INVALIDARG ((OvResult)0x80070057)
#define OV_CLASS_E_NOAGGREGATION ((OvResult)0x80040110)
#define OV_CLASS_E_CLASSNOTAVAILABLE ((OvResult)0x80040111)
#define OV_REGDB_E_READREGDB ((OvResult)0x80040150)
#define OV_REGDB_E_WRITEREGDB ((OvResult)0x80040151)
#define OV_REGDB_E_CLASSNOTREG ((OvResult)0x80040154)
#define OV_SELFREG_E_TYPELIB ((OvResult)0x80040200)
#define OV_SELFREG_E_CLASS ((OvResult)0x80040201)
#define OV_CO_E_CLASSSTRING ((OvResult)0x800401F3)
#define OV_CO_E_DLLNOTFOUND ((OvResult)0x800401F8)
#define OV_CO_E_ERRORINDLL ((OvResult)0x800401F9)
#define OV_CO_E_OBJNOTCONNECTED ((OvResult)0x800401FD) /* the object was released: see below */
#define OV_CONNECT_E_NOCONNECTION ((OvResult)0x80040200)
#define OV_DISP_E_MEMBERNOTFOUND ((OvResult)0x80020003)
#define OV_DISP_E_TYPEMISMATCH ((OvResult)0x80020005)
#define OV_DISP_E_UNKNOWNNAME ((OvResult)0x80020006)
#define OV_DISP_E_EXCEPTION ((OvResult)0x80020009)
#define OV_DISP_E_BADPARAMCOUNT ((OvResult)0x8002000E)
#define OV_STG_E_FILENOTFOUND ((OvResult)0x80030002)
#define OV_STG_E_INVALIDHEADER ((OvResult)0x800300FB)

/* ---- identifiers ------------------------------------------------------------------------ */
typedef struct OvGuid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
} OvGuid;

extern const OvGuid OV_IID_IUnknown;
extern const OvGuid OV_IID_IClassFactory;
extern const OvGuid OV_IID_IDispatch;
extern const OvGuid OV_IID_IPersistPropertyBag;
extern const OvGuid OV_IID_IOvControl;
extern const OvGuid OV_IID_IConnectionPoint;

/* "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" <-> OvGuid; OV_E_INVALIDARG for malformed text.
   OvGuidToString writes 39 bytes including the terminating NUL. */
OvResult OvGuidFromString(const char* text, OvGuid* out);
OvResult OvGuidToString(const OvGuid* guid, char out[39]);
int OvGuidEqual(const OvGuid* a, const OvGuid* b);

/* ---- values ----------------------------------------------------------------------------- */
enum OvVarType {
    OV_VT_EMPTY = 0,
    OV_VT_NULL = 1,
    OV_VT_I2 = 2,       /* Integer: 16-bit */
    OV_VT_I4 = 3,       /* Long: 32-bit */
    OV_VT_R4 = 4,       /* Single */
    OV_VT_R8 = 5,       /* Double */
    OV_VT_DATE = 7,     /* days since 30 December 1899 */
    OV_VT_BSTR = 8,     /* UTF-8 string (OvStringAlloc) */
    OV_VT_DISPATCH = 9, /* an object of this server, or NULL for Nothing */
    OV_VT_BOOL = 11,    /* -1 True, 0 False */
    OV_VT_UI1 = 17      /* Byte */
};

struct OvDispatch;

typedef struct OvVariant {
    uint16_t vt;
    union {
        int16_t iVal;
        int32_t lVal;
        float fltVal;
        double dblVal;
        double date;
        char* bstrVal;
        struct OvDispatch* pdispVal;
        int16_t boolVal;
        uint8_t bVal;
    } u;
} OvVariant;

char* OvStringAlloc(const char* utf8);
void OvStringFree(char* text);
void OvVariantInit(OvVariant* value);
/* Frees the string or releases the object the variant holds and makes it Empty. */
OvResult OvVariantClear(OvVariant* value);

/* Filled by a member that raised an automation error (number, source, description). */
typedef struct OvExcepInfo {
    int32_t number;
    char* source;
    char* description;
} OvExcepInfo;
void OvExcepInfoClear(OvExcepInfo* info);

/* ---- interfaces --------------------------------------------------------------------------- */
typedef struct OvUnknown {
    const struct OvUnknownVtbl* lpVtbl;
} OvUnknown;
struct OvUnknownVtbl {
    OvResult (*QueryInterface)(OvUnknown* self, const OvGuid* iid, void** out);
    uint32_t (*AddRef)(OvUnknown* self);
    uint32_t (*Release)(OvUnknown* self);
};

typedef struct OvClassFactory {
    const struct OvClassFactoryVtbl* lpVtbl;
} OvClassFactory;
struct OvClassFactoryVtbl {
    OvResult (*QueryInterface)(OvClassFactory* self, const OvGuid* iid, void** out);
    uint32_t (*AddRef)(OvClassFactory* self);
    uint32_t (*Release)(OvClassFactory* self);
    /* outer must be NULL (no aggregation). */
    OvResult (*CreateInstance)(OvClassFactory* self, OvUnknown* outer, const OvGuid* iid, void** out);
    OvResult (*LockServer)(OvClassFactory* self, int lock);
};

/* Invoke kinds, as flags. */
#define OV_DISPATCH_METHOD 1
#define OV_DISPATCH_PROPERTYGET 2
#define OV_DISPATCH_PROPERTYPUT 4
#define OV_DISPATCH_PROPERTYPUTREF 8

typedef struct OvDispatch {
    const struct OvDispatchVtbl* lpVtbl;
} OvDispatch;
struct OvDispatchVtbl {
    OvResult (*QueryInterface)(OvDispatch* self, const OvGuid* iid, void** out);
    uint32_t (*AddRef)(OvDispatch* self);
    uint32_t (*Release)(OvDispatch* self);
    /* The class name ("OV3DLine"), UTF-8, to free with OvStringFree. */
    OvResult (*GetTypeName)(OvDispatch* self, char** out);
    /* OV_DISP_E_UNKNOWNNAME when the object has no member of that name (case-insensitive). */
    OvResult (*GetIDOfName)(OvDispatch* self, const char* name, int32_t* dispid);
    /* `args` in declaration order, passed by reference: a member may change them (the old
       value is cleared first). For puts the new value is the last argument. `result` and
       `exception` may be NULL. An automation error gives OV_DISP_E_EXCEPTION with `exception`
       filled; an unknown dispid OV_DISP_E_MEMBERNOTFOUND. */
    OvResult (*Invoke)(OvDispatch* self, int32_t dispid, uint16_t flags, OvVariant* args, uint32_t count,
                       OvVariant* result, OvExcepInfo* exception);
};

typedef struct OvPersistPropertyBag {
    const struct OvPersistPropertyBagVtbl* lpVtbl;
} OvPersistPropertyBag;
struct OvPersistPropertyBagVtbl {
    OvResult (*QueryInterface)(OvPersistPropertyBag* self, const OvGuid* iid, void** out);
    uint32_t (*AddRef)(OvPersistPropertyBag* self);
    uint32_t (*Release)(OvPersistPropertyBag* self);
    /* Exactly one of InitNew and Load, before anything else (a control used without either
       starts as InitNew would); OV_E_UNEXPECTED when the instance is already initialised or
       is being initialised. While a control is being created (InitNew, Load, or the first
       call of one used without either), a sink called from its creation events reaches the
       control as it stands; nothing creates it a second time. */
    OvResult (*InitNew)(OvPersistPropertyBag* self);
    /* A bag file as `orvelle shell`'s save writes it (JSON). OV_STG_E_FILENOTFOUND for a path
       that is no readable regular file (missing, a folder, a device), OV_STG_E_INVALIDHEADER
       for a file that is no bag. */
    OvResult (*Load)(OvPersistPropertyBag* self, const char* path);
    OvResult (*Save)(OvPersistPropertyBag* self, const char* path);
};

typedef struct OvControl {
    const struct OvControlVtbl* lpVtbl;
} OvControl;
struct OvControlVtbl {
    OvResult (*QueryInterface)(OvControl* self, const OvGuid* iid, void** out);
    uint32_t (*AddRef)(OvControl* self);
    uint32_t (*Release)(OvControl* self);
    /* The extent in twips; setting it delivers the control's Resize. */
    OvResult (*SetExtent)(OvControl* self, double width_twips, double height_twips);
    OvResult (*GetExtent)(OvControl* self, double* width_twips, double* height_twips);
    /* An input event of the control's own surface (target "surface") or of one of its parts
       ("lblTabItem(1)"), e.g. "MouseDown" with Button, Shift, X, Y; args converted to the
       event's parameter types. */
    OvResult (*FireEvent)(OvControl* self, const char* target, const char* event, OvVariant* args, uint32_t count,
                          OvExcepInfo* exception);
    /* Advances the host clock, delivering the timer ticks that fall due. */
    OvResult (*Wait)(OvControl* self, int64_t milliseconds);
    /* The control as it is drawn, as an RGB PNG file. */
    OvResult (*RenderPng)(OvControl* self, const char* path);
};

/* Called for every event the control raises; args are by reference (the control reads what
   the sink leaves in them). */
typedef void (*OvEventSink)(void* context, const char* event, int32_t dispid, OvVariant* args, uint32_t count);

typedef struct OvConnectionPoint {
    const struct OvConnectionPointVtbl* lpVtbl;
} OvConnectionPoint;
struct OvConnectionPointVtbl {
    OvResult (*QueryInterface)(OvConnectionPoint* self, const OvGuid* iid, void** out);
    uint32_t (*AddRef)(OvConnectionPoint* self);
    uint32_t (*Release)(OvConnectionPoint* self);
    OvResult (*Advise)(OvConnectionPoint* self, OvEventSink sink, void* context, uint32_t* cookie);
    /* OV_CONNECT_E_NOCONNECTION for a cookie that is not advised. */
    OvResult (*Unadvise)(OvConnectionPoint* self, uint32_t cookie);
};

/* ---- the server's entry points -------------------------------------------------------------- */
/* Adds every class of the library (ProgID, class id, this library's path, the type library)
   to the registry file, creating it when missing. OV_SELFREG_E_CLASS when the file exists but
   cannot be read as a registry (it is left as it is) or cannot be written. */
OvResult DllRegisterServer(void);
/* Removes exactly the entries DllRegisterServer added for this library; others stay. */
OvResult DllUnregisterServer(void);
/* The class object of `clsid` (OV_CLASS_E_CLASSNOTAVAILABLE for a class this server does not
   implement; OV_E_NOINTERFACE for an iid other than IClassFactory or IUnknown). */
OvResult DllGetClassObject(const OvGuid* clsid, const OvGuid* iid, void** out);
/* OV_S_OK when no object, class object or lock of this server is alive, else OV_S_FALSE. */
OvResult DllCanUnloadNow(void);

/* ---- the component runtime (registry lookups) -------------------------------------------- */
/* OV_CO_E_CLASSSTRING when the ProgID is not registered; OV_REGDB_E_READREGDB when the
   registry file cannot be read as one. */
OvResult OvCLSIDFromProgID(const char* prog_id, OvGuid* out);
/* Loads the server registered for `clsid` and creates an instance through its class object:
   OV_REGDB_E_CLASSNOTREG for an unregistered class, OV_CO_E_DLLNOTFOUND when the registered
   library is missing, OV_CO_E_ERRORINDLL when it exports no DllGetClassObject. */
OvResult OvCoCreateInstance(const OvGuid* clsid, const OvGuid* iid, void** out);
/* The registry file in use (UTF-8 path, to free with OvStringFree). */
char* OvRegistryPath(void);

#ifdef __cplusplus
}
#endif

#endif /* ORVELLE_ORVELLE_H */
