"""Print services that misbehave, on 127.0.0.1, for the printing tests. Each
prints its port on the first line and serves until killed, or until the
process that started it ends.

    fake_print_service.py slow SOCKET DELAY [--unconfirmed]
        A proxy in front of the scheduler listening on the Unix socket SOCKET
        that holds back every piece of every answer for DELAY seconds, as a
        remote office over a slow link does. With --unconfirmed, the document
        reaches the scheduler whole, but from then on no answer comes back,
        on that connection or any other. Prints a line "connected" for each
        connection it takes, so that a test sees a print reach it.

    fake_print_service.py refusing KIND
        Answers every request the same way, whatever it asks: KIND is
        ipp:0xNNNN (that IPP status), http:NNN (that HTTP status), garbage (a
        status line that is not HTTP) or drop (closes the connection).
"""

import asyncio
import os
import struct
import sys

DOCUMENT_END = b"%%EOF"


async def pipe_delayed(reader, writer, delay, quiet):
    """Copies reader to writer, each piece delay seconds after it came, in order."""
    loop = asyncio.get_running_loop()
    pending = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await pending.get()
            if data is None:
                break
            await asyncio.sleep(max(0.0, due - loop.time()))
            if quiet():
                continue
            writer.write(data)
            await writer.drain()

    delivery = asyncio.ensure_future(deliver())
    try:
        while data := await reader.read(65536):
            pending.put_nowait((loop.time() + delay, data))
    finally:
        pending.put_nowait((0, None))
        await delivery


async def slow(socket_path, delay, mode):
    # Once set, no answer goes back on any connection: the service has
    # fallen silent, not just one conversation with it.
    muted = []

    async def serve(client_reader, client_writer):
        print("connected", flush=True)
        server_reader, server_writer = await asyncio.open_unix_connection(socket_path)
        sent = bytearray()  # what the client said, as far as the marks need

        async def upstream():
            while data := await client_reader.read(65536):
                sent.extend(data)
                if mode == "--unconfirmed" and DOCUMENT_END in sent:
                    muted.append(True)
                server_writer.write(data)
                await server_writer.drain()
            server_writer.write_eof()

        try:
            await asyncio.gather(upstream(), pipe_delayed(server_reader, client_writer, delay, lambda: bool(muted)))
        except (ConnectionError, OSError):
            pass
        finally:
            client_writer.close()
            server_writer.close()

    server = await asyncio.start_server(serve, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


def ipp_answer(status, request_id):
    def attribute(tag, name, value):
        return struct.pack(">BH", tag, len(name)) + name + struct.pack(">H", len(value)) + value

    return (struct.pack(">BBHI", 2, 0, status, request_id) + b"\x01"
            + attribute(0x47, b"attributes-charset", b"utf-8")
            + attribute(0x48, b"attributes-natural-language", b"en") + b"\x03")


HTTP_REASONS = {401: "Unauthorized", 403: "Forbidden", 500: "Internal Server Error"}


async def read_request(reader):
    """One HTTP request: its body, or None when the client has gone."""
    head = await reader.readuntil(b"\r\n\r\n")
    fields = {}
    for line in head.decode("latin-1").split("\r\n")[1:]:
        name, _, value = line.partition(":")
        fields[name.strip().lower()] = value.strip()
    if fields.get("transfer-encoding", "").lower() == "chunked":
        body = bytearray()
        while size := int((await reader.readuntil(b"\r\n")).split(b";")[0], 16):
            body.extend(await reader.readexactly(size + 2))
        await reader.readuntil(b"\r\n")
        return bytes(body), fields
    return await reader.readexactly(int(fields.get("content-length", "0"))), fields


async def refusing(kind):
    async def serve(reader, writer):
        try:
            while True:
                body, fields = await read_request(reader)
                if kind == "drop":
                    break
                if kind == "garbage":
                    writer.write(b"SPOOLER READY, NO IPP HERE\r\n\r\n")
                    await writer.drain()
                    break
                if kind.startswith("http:"):
                    code = int(kind[5:])
                    writer.write(b"HTTP/1.1 %d %s\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"
                                 % (code, HTTP_REASONS[code].encode()))
                    await writer.drain()
                    break
                request_id = struct.unpack(">I", body[4:8])[0] if len(body) >= 8 else 1
                answer = ipp_answer(int(kind[4:], 16), request_id)
                writer.write(b"HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: %d\r\n\r\n"
                             % len(answer) + answer)
                await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError, ValueError):
            pass
        finally:
            writer.close()

    server = await asyncio.start_server(serve, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


async def while_parent_lives(service):
    """Serves no longer than the test that started it: a test that fails
    leaves before it can stop its services."""
    parent = os.getppid()
    serving = asyncio.ensure_future(service)
    while not serving.done() and os.getppid() == parent:
        await asyncio.sleep(0.5)
    serving.cancel()


if __name__ == "__main__":
    if sys.argv[1] == "slow":
        service = slow(sys.argv[2], float(sys.argv[3]), sys.argv[4] if len(sys.argv) > 4 else None)
    elif sys.argv[1] == "refusing":
        service = refusing(sys.argv[2])
    else:
        sys.exit(__doc__)
    try:
        asyncio.run(while_parent_lives(service))
    except asyncio.CancelledError:
        pass
