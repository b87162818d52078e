#!/usr/bin/python3
"""A mail server on the loopback for the e-mail tests.

servidor_smtp.py PORT FOLDER MODE [USER PASSWORD]
With SMTP_CERT and SMTP_KEY in the environment it offers STARTTLS and requires it.
MODE: acepta (keeps every message), rechaza (refuses every recipient), tercero (refuses the
data of the first two sends, keeps the third on). Each kept message is written to FOLDER as
N.eml with its envelope in N.sobre; logins are appended to FOLDER/logins. Prints "listo" once
it listens and runs until killed.
"""
import os
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

puerto, carpeta, modo = int(sys.argv[1]), sys.argv[2], sys.argv[3]
usuario = sys.argv[4] if len(sys.argv) > 5 else None
clave = sys.argv[5] if len(sys.argv) > 5 else None


class Manejador:
    def __init__(self):
        self.envios = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if modo == 'rechaza':
            return '550 5.1.1 Destinatario rechazado'
        envelope.rcpt_tos.append(address)
        return '250 OK'

    async def handle_DATA(self, server, session, envelope):
        self.envios += 1
        if modo == 'tercero' and self.envios < 3:
            return '451 4.3.0 Intente mas tarde'
        n = len([f for f in os.listdir(carpeta) if f.endswith('.eml')]) + 1
        with open(os.path.join(carpeta, '%d.sobre' % n), 'w') as f:
            f.write(envelope.mail_from + '\n' + '\n'.join(envelope.rcpt_tos) + '\n')
        with open(os.path.join(carpeta, '%d.eml.tmp' % n), 'wb') as f:
            f.write(envelope.original_content)
        os.rename(os.path.join(carpeta, '%d.eml.tmp' % n), os.path.join(carpeta, '%d.eml' % n))
        return '250 Mensaje recibido'


def autenticar(server, session, envelope, mechanism, auth_data):
    if not isinstance(auth_data, LoginPassword):
        return AuthResult(success=False, handled=False)
    ok = auth_data.login.decode() == usuario and auth_data.password.decode() == clave
    with open(os.path.join(carpeta, 'logins'), 'a') as f:
        f.write('%s %s\n' % (auth_data.login.decode(), 'ok' if ok else 'mal'))
    return AuthResult(success=ok)


opciones = {}
if usuario is not None:
    opciones = dict(authenticator=autenticar, auth_require_tls=False)
if os.environ.get('SMTP_CERT'):
    import ssl
    contexto = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    contexto.load_cert_chain(os.environ['SMTP_CERT'], os.environ['SMTP_KEY'])
    opciones.update(tls_context=contexto, require_starttls=True)
controlador = Controller(Manejador(), hostname='127.0.0.1', port=puerto, **opciones)
controlador.start()
print('listo', flush=True)
try:
    while True:
        time.sleep(3600)
finally:
    controlador.stop()
