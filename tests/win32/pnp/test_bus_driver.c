/* A kernel-mode bus with one USB port, for the tests: asked by the test tool,
 * it reports a child device with the vendor and product ID it is given, or
 * takes the child away again, as a hub does when a cable is plugged in or
 * pulled out. The child has no function driver: it starts raw and enables
 * the USB device interface, whose arrival and removal the system announces
 * to the windows that asked for device notices.
 *
 * Plain C, built without any runtime: MinGW's kernel headers are made for C,
 * and a driver may use only what ntoskrnl and hal export. */
#include <ntddk.h>

#include "tests/win32/pnp/test_bus_requests.h"

/* GUID_DEVINTERFACE_USB_DEVICE */
static const GUID usb_device_interface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

#define POOL_TAG 0x7473656BUL /* "kest" */
#define ID_CAPACITY 32

struct child {
    USHORT vendor;
    USHORT product;
    /* Still among the bus's relations; once not, its removal deletes it. */
    BOOLEAN reported;
    BOOLEAN interface_enabled;
    UNICODE_STRING interface_link;
};

static DRIVER_OBJECT* driver_object;
static DEVICE_OBJECT* bus_fdo;
static DEVICE_OBJECT* bus_pdo;
/* The plug-and-play manager queries the relations on a thread of its own
 * while a request may be changing them. */
static KSPIN_LOCK plugged_lock;
static DEVICE_OBJECT* plugged;
static ULONG children_made;

static WCHAR bus_name_text[] = L"\\Device\\KestrunTestBus";
static WCHAR bus_link_text[] = L"\\DosDevices\\KestrunTestBus";
static UNICODE_STRING bus_name = RTL_CONSTANT_STRING(bus_name_text);
static UNICODE_STRING bus_link = RTL_CONSTANT_STRING(bus_link_text);

static struct child* child_of(DEVICE_OBJECT* device) {
    return (struct child*)device->DeviceExtension;
}

static NTSTATUS complete(IRP* irp, NTSTATUS status) {
    irp->IoStatus.Status = status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static WCHAR* append(WCHAR* at, const WCHAR* text) {
    while (*text != L'\0')
        *at++ = *text++;
    return at;
}

static WCHAR* append_hex4(WCHAR* at, USHORT value) {
    int shift;
    for (shift = 12; shift >= 0; shift -= 4)
        *at++ = L"0123456789ABCDEF"[(value >> shift) & 0xF];
    return at;
}

/* The plug-and-play manager frees every ID it is given, so each comes from
 * the pool. Hardware and compatible IDs are lists that end with an empty
 * string; Wine installs no device that has no compatible IDs, so the child
 * has the one of a vendor-specific USB class, as the real bridge does. */
static NTSTATUS query_id(const struct child* child, IRP* irp, BUS_QUERY_ID_TYPE type) {
    WCHAR* id;
    WCHAR* end;
    if (type != BusQueryDeviceID && type != BusQueryHardwareIDs && type != BusQueryCompatibleIDs &&
        type != BusQueryInstanceID)
        return irp->IoStatus.Status;
    id = (WCHAR*)ExAllocatePoolWithTag(PagedPool, ID_CAPACITY * sizeof(WCHAR), POOL_TAG);
    if (id == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    if (type == BusQueryInstanceID) {
        end = append(id, L"0001");
    } else if (type == BusQueryCompatibleIDs) {
        end = append(id, L"USB\\Class_FF");
    } else {
        end = append(id, L"USB\\VID_");
        end = append_hex4(end, child->vendor);
        end = append(end, L"&PID_");
        end = append_hex4(end, child->product);
    }
    end[0] = L'\0';
    end[1] = L'\0';
    irp->IoStatus.Information = (ULONG_PTR)id;
    return STATUS_SUCCESS;
}

static void disable_interface(struct child* child) {
    if (!child->interface_enabled)
        return;
    IoSetDeviceInterfaceState(&child->interface_link, FALSE);
    child->interface_enabled = FALSE;
}

static NTSTATUS start_child(DEVICE_OBJECT* device, struct child* child) {
    NTSTATUS status = STATUS_SUCCESS;
    if (child->interface_link.Buffer == NULL)
        status =
            IoRegisterDeviceInterface(device, &usb_device_interface, NULL, &child->interface_link);
    if (NT_SUCCESS(status))
        status = IoSetDeviceInterfaceState(&child->interface_link, TRUE);
    child->interface_enabled = NT_SUCCESS(status);
    return status;
}

static NTSTATUS remove_child(DEVICE_OBJECT* device, struct child* child, IRP* irp) {
    KIRQL irql;
    BOOLEAN unplugged;
    disable_interface(child);
    KeAcquireSpinLock(&plugged_lock, &irql);
    unplugged = !child->reported;
    KeReleaseSpinLock(&plugged_lock, irql);
    complete(irp, STATUS_SUCCESS);
    /* Removed while still plugged (the bus itself is going): the device
     * object stays with the bus. */
    if (unplugged) {
        RtlFreeUnicodeString(&child->interface_link);
        IoDeleteDevice(device);
    }
    return STATUS_SUCCESS;
}

static NTSTATUS child_pnp(DEVICE_OBJECT* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    struct child* child = child_of(device);
    NTSTATUS status = irp->IoStatus.Status;
    switch (stack->MinorFunction) {
        case IRP_MN_QUERY_ID:
            status = query_id(child, irp, stack->Parameters.QueryId.IdType);
            break;
        case IRP_MN_QUERY_CAPABILITIES: {
            DEVICE_CAPABILITIES* caps = stack->Parameters.DeviceCapabilities.Capabilities;
            /* Without a function driver the device starts only when it may
             * run raw. */
            caps->RawDeviceOK = 1;
            caps->SurpriseRemovalOK = 1;
            caps->Removable = 1;
            status = STATUS_SUCCESS;
            break;
        }
        case IRP_MN_START_DEVICE:
            status = start_child(device, child);
            break;
        case IRP_MN_SURPRISE_REMOVAL:
            disable_interface(child);
            status = STATUS_SUCCESS;
            break;
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_CANCEL_REMOVE_DEVICE:
        case IRP_MN_QUERY_STOP_DEVICE:
        case IRP_MN_CANCEL_STOP_DEVICE:
        case IRP_MN_STOP_DEVICE:
            status = STATUS_SUCCESS;
            break;
        case IRP_MN_REMOVE_DEVICE:
            return remove_child(device, child, irp);
        default:
            break;
    }
    return complete(irp, status);
}

static NTSTATUS report_children(IRP* irp) {
    KIRQL irql;
    DEVICE_RELATIONS* relations =
        (DEVICE_RELATIONS*)ExAllocatePoolWithTag(PagedPool, sizeof(DEVICE_RELATIONS), POOL_TAG);
    if (relations == NULL)
        return STATUS_INSUFFICIENT_RESOURCES;
    relations->Count = 0;
    KeAcquireSpinLock(&plugged_lock, &irql);
    if (plugged != NULL) {
        /* The manager drops one reference for each object it is given. */
        ObReferenceObject(plugged);
        relations->Objects[relations->Count++] = plugged;
    }
    KeReleaseSpinLock(&plugged_lock, irql);
    irp->IoStatus.Information = (ULONG_PTR)relations;
    return STATUS_SUCCESS;
}

static NTSTATUS bus_pnp(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status;
    switch (stack->MinorFunction) {
        case IRP_MN_START_DEVICE:
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_CANCEL_REMOVE_DEVICE:
        case IRP_MN_SURPRISE_REMOVAL:
        case IRP_MN_QUERY_STOP_DEVICE:
        case IRP_MN_CANCEL_STOP_DEVICE:
        case IRP_MN_STOP_DEVICE:
            irp->IoStatus.Status = STATUS_SUCCESS;
            break;
        case IRP_MN_QUERY_DEVICE_RELATIONS:
            if (stack->Parameters.QueryDeviceRelations.Type != BusRelations)
                break;
            status = report_children(irp);
            if (!NT_SUCCESS(status))
                return complete(irp, status);
            irp->IoStatus.Status = status;
            break;
        case IRP_MN_REMOVE_DEVICE:
            IoDeleteSymbolicLink(&bus_link);
            irp->IoStatus.Status = STATUS_SUCCESS;
            IoSkipCurrentIrpStackLocation(irp);
            status = IoCallDriver(bus_pdo, irp);
            IoDetachDevice(bus_pdo);
            IoDeleteDevice(bus_fdo);
            bus_fdo = NULL;
            return status;
        default:
            break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(bus_pdo, irp);
}

static NTSTATUS NTAPI dispatch_pnp(DEVICE_OBJECT* device, IRP* irp) {
    return device == bus_fdo ? bus_pnp(irp) : child_pnp(device, irp);
}

static NTSTATUS NTAPI dispatch_power(DEVICE_OBJECT* device, IRP* irp) {
    UCHAR minor;
    PoStartNextPowerIrp(irp);
    if (device == bus_fdo) {
        IoSkipCurrentIrpStackLocation(irp);
        return PoCallDriver(bus_pdo, irp);
    }
    minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    if (minor == IRP_MN_SET_POWER || minor == IRP_MN_QUERY_POWER)
        return complete(irp, STATUS_SUCCESS);
    return complete(irp, irp->IoStatus.Status);
}

/* \Device\KestrunTestUsbN: a removed child may linger until its last handle
 * closes, so every child has a name of its own. */
static void child_name(WCHAR name[48], ULONG number) {
    WCHAR digits[12];
    int count = 0;
    WCHAR* end;
    do {
        digits[count++] = (WCHAR)(L'0' + number % 10);
        number /= 10;
    } while (number != 0);
    end = append(name, L"\\Device\\KestrunTestUsb");
    while (count > 0)
        *end++ = digits[--count];
    *end = L'\0';
}

static NTSTATUS plug(const struct test_bus_plug* request) {
    KIRQL irql;
    BOOLEAN busy;
    WCHAR name_text[48];
    UNICODE_STRING name;
    DEVICE_OBJECT* device = NULL;
    struct child* child;
    NTSTATUS status;

    KeAcquireSpinLock(&plugged_lock, &irql);
    busy = plugged != NULL;
    KeReleaseSpinLock(&plugged_lock, irql);
    if (busy)
        return STATUS_DEVICE_BUSY;

    child_name(name_text, children_made++);
    RtlInitUnicodeString(&name, name_text);
    status = IoCreateDevice(driver_object, sizeof(struct child), &name, FILE_DEVICE_UNKNOWN, 0,
                            FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    child = child_of(device);
    RtlZeroMemory(child, sizeof(*child));
    child->vendor = request->vendor;
    child->product = request->product;
    child->reported = TRUE;
    device->Flags &= ~(ULONG)DO_DEVICE_INITIALIZING;

    KeAcquireSpinLock(&plugged_lock, &irql);
    plugged = device;
    KeReleaseSpinLock(&plugged_lock, irql);
    IoInvalidateDeviceRelations(bus_pdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS unplug(void) {
    KIRQL irql;
    DEVICE_OBJECT* device;
    KeAcquireSpinLock(&plugged_lock, &irql);
    device = plugged;
    plugged = NULL;
    if (device != NULL)
        child_of(device)->reported = FALSE;
    KeReleaseSpinLock(&plugged_lock, irql);
    if (device == NULL)
        return STATUS_NO_SUCH_DEVICE;
    IoInvalidateDeviceRelations(bus_pdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS NTAPI dispatch_control(DEVICE_OBJECT* device, IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    struct test_bus_plug request;
    irp->IoStatus.Information = 0;
    if (device != bus_fdo)
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
    if (code == TEST_BUS_PLUG) {
        if (stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(request))
            return complete(irp, STATUS_BUFFER_TOO_SMALL);
        RtlCopyMemory(&request, irp->AssociatedIrp.SystemBuffer, sizeof(request));
        return complete(irp, plug(&request));
    }
    if (code == TEST_BUS_UNPLUG)
        return complete(irp, unplug());
    return complete(irp, STATUS_INVALID_DEVICE_REQUEST);
}

static NTSTATUS NTAPI dispatch_open_close(DEVICE_OBJECT* device, IRP* irp) {
    (void)device;
    return complete(irp, STATUS_SUCCESS);
}

static NTSTATUS NTAPI add_device(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo) {
    NTSTATUS status =
        IoCreateDevice(driver, 0, &bus_name, FILE_DEVICE_BUS_EXTENDER, 0, FALSE, &bus_fdo);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(&bus_link, &bus_name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(bus_fdo);
        bus_fdo = NULL;
        return status;
    }
    IoAttachDeviceToDeviceStack(bus_fdo, pdo);
    bus_pdo = pdo;
    bus_fdo->Flags &= ~(ULONG)DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

/* Lets the service stop once the bus has been removed. */
static void NTAPI unload(DRIVER_OBJECT* driver) {
    (void)driver;
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry_path);

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry_path) {
    (void)registry_path;
    driver_object = driver;
    KeInitializeSpinLock(&plugged_lock);
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_control;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->MajorFunction[IRP_MJ_POWER] = dispatch_power;
    driver->DriverExtension->AddDevice = add_device;
    driver->DriverUnload = unload;
    return STATUS_SUCCESS;
}
